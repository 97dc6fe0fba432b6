#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>

namespace qm3270 {

// One record of a CSV text: a line of values, or a comment line.
struct CsvRecord {
    int line = 0;                    // the line it begins on, counted from 1
    bool comment = false;            // a line beginning with '#': values[0] is the rest of it
    bool unterminatedQuote = false;  // the text ended inside a quoted value
    QStringList values;
};

// Splits a CSV text into records as spreadsheets and CHIRP write them: values
// separated by `separator` (',', or a tab in a tab-separated list), records by
// CR, LF or CRLF; a value that begins with '"'
// runs to the next lone '"' ("" inside it is one quote, and it may span
// lines); blank lines are skipped. Values are kept exactly as written.
QList<CsvRecord> splitCsvRecords(QStringView text, QChar separator = u',');

}  // namespace qm3270

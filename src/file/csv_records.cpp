#include "file/csv_records.h"

namespace qm3270 {

namespace {

bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

class Splitter {
public:
    Splitter(QStringView text, QChar separator) : text_(text), separator_(separator) {}

    QList<CsvRecord> run() {
        QList<CsvRecord> records;
        while (!atEnd()) {
            if (restOfLineIsBlank()) {
                skipToNextLine();
                continue;
            }
            records << (current() == u'#' ? comment() : values());
        }
        return records;
    }

private:
    bool atEnd() const { return at_ >= text_.size(); }
    QChar current() const { return text_[at_]; }

    bool restOfLineIsBlank() const {
        for (qsizetype i = at_; i < text_.size() && !isLineEnd(text_[i]); ++i) {
            if (!isBlank(text_[i])) {
                return false;
            }
        }
        return true;
    }

    // Past the line end at (or after) the current position; CRLF is one.
    void skipToNextLine() {
        while (!atEnd() && !isLineEnd(current())) {
            ++at_;
        }
        skipLineEnd();
    }

    void skipLineEnd() {
        if (atEnd()) {
            return;
        }
        if (current() == u'\r') {
            ++at_;
            if (!atEnd() && current() == u'\n') {
                ++at_;
            }
        } else {
            ++at_;
        }
        ++line_;
    }

    CsvRecord comment() {
        CsvRecord record{line_, true, false, {}};
        const qsizetype start = at_ + 1;
        qsizetype end = start;
        while (end < text_.size() && !isLineEnd(text_[end])) {
            ++end;
        }
        record.values << text_.mid(start, end - start).toString();
        at_ = end;
        skipLineEnd();
        return record;
    }

    CsvRecord values() {
        CsvRecord record{line_, false, false, {}};
        QString value;
        bool fieldStart = true;
        bool quoted = false;
        while (!atEnd()) {
            const QChar c = current();
            if (quoted) {
                if (c == u'"') {
                    if (at_ + 1 < text_.size() && text_[at_ + 1] == u'"') {
                        value += c;
                        ++at_;
                    } else {
                        quoted = false;
                    }
                    ++at_;
                    continue;
                }
                countLineInside(c);
                value += c;
                ++at_;
                continue;
            }
            if (c == u'"' && fieldStart) {
                quoted = true;
                fieldStart = false;
                ++at_;
                continue;
            }
            if (c == separator_) {
                record.values << std::exchange(value, QString());
                fieldStart = true;
                ++at_;
                continue;
            }
            if (isLineEnd(c)) {
                skipLineEnd();
                record.values << value;
                return record;
            }
            value += c;
            fieldStart = false;
            ++at_;
        }
        record.values << value;
        record.unterminatedQuote = quoted;
        return record;
    }

    // A line end inside a quoted value still moves the line count on, so the
    // records after it are named by the lines an editor shows.
    void countLineInside(QChar c) {
        const bool crlf = c == u'\r' && at_ + 1 < text_.size() && text_[at_ + 1] == u'\n';
        if (isLineEnd(c) && !crlf) {
            ++line_;
        }
    }

    QStringView text_;
    QChar separator_;
    qsizetype at_ = 0;
    int line_ = 1;
};

}  // namespace

QList<CsvRecord> splitCsvRecords(QStringView text, QChar separator) {
    return Splitter(text, separator).run();
}

}  // namespace qm3270

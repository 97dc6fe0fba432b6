#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"

#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace qm3270 {

// A beat text as the beat box would have given it: "ON", " on " and "On" are
// "on", and so for "off"; anything else stays as typed.
QString normalisedBeat(const QString& typed);

// One cell typed, pasted or emptied at once with others.
struct CellValue {
    int row;
    int column;
    QString text;
};

// The table after `cells` went in one by one, each through the rules of a
// typed cell (a frequency checked, snapped and copied, a beat normalised), and
// the one message about every value the rules refused, if any: the range
// message, with each refused cell and its value as the detail.
struct CellsApplied {
    ChannelTable rows;
    std::optional<UserMessage> refused;
};
CellsApplied applyCellValues(const ChannelTable& rows, const QList<CellValue>& cells);

// Text from the clipboard as a block of cells: lines of tab-separated values
// (what spreadsheets copy), the block's top left corner at `row`, `column`.
// Refused as a whole, with a message saying why, when it is no table (rows of
// different lengths) or does not fit the 16 rows and 4 columns from there.
std::variant<QList<CellValue>, UserMessage> cellsFromText(const QString& text, int row, int column);

// The block of cells as text for the clipboard: tab between values, a line
// end after each row.
QString textFromCells(const ChannelTable& rows, int top, int left, int bottom, int right);

}  // namespace qm3270

#include "channels/cell_values.h"

#include "channels/edit_rules.h"
#include "channels/messages.h"

#include <QStringList>

namespace qm3270 {

namespace {

QString fieldName(int column) {
    return column == kReceive ? QString::fromUtf16(channel_messages::kReceiveName)
                              : QString::fromUtf16(channel_messages::kTransmitName);
}

UserMessage pasteRefused(const QString& reason) {
    return {QString::fromUtf16(channel_messages::kPasteRefused),
            QString::fromUtf16(channel_messages::kOutOfRangeTitle), UserMessage::Icon::Information,
            reason};
}

}  // namespace

QString normalisedBeat(const QString& typed) {
    QString word = typed.trimmed().toLower();
    if (word == QStringLiteral("on") || word == QStringLiteral("off")) {
        return word;
    }
    return typed;
}

CellsApplied applyCellValues(const ChannelTable& rows, const QList<CellValue>& cells) {
    CellsApplied applied{rows, std::nullopt};
    QStringList refusedCells;
    for (const CellValue& cell : cells) {
        ChannelRecord& record = applied.rows.at(static_cast<std::size_t>(cell.row));
        record[cell.column] = cell.column == kBeat ? normalisedBeat(cell.text) : cell.text;
        const EditResult result = applyCellEdit(record, cell.column);
        if (result.message) {
            refusedCells << QString::fromUtf16(channel_messages::kRefusedCell)
                                .arg(cell.row + 1)
                                .arg(fieldName(cell.column), cell.text);
        }
        record = result.record;
    }
    if (!refusedCells.isEmpty()) {
        applied.refused = UserMessage{QString::fromUtf16(channel_messages::kOutOfRange),
                                      QString::fromUtf16(channel_messages::kOutOfRangeTitle),
                                      UserMessage::Icon::Information, refusedCells.join(u'\n')};
    }
    return applied;
}

std::variant<QList<CellValue>, UserMessage> cellsFromText(const QString& text, int row,
                                                          int column) {
    QString block = text;
    block.remove(u'\r');
    if (block.endsWith(u'\n')) {
        block.chop(1);  // a spreadsheet ends its last row too
    }
    if (block.isEmpty()) {
        return pasteRefused(QString::fromUtf16(channel_messages::kPasteEmpty));
    }
    const QStringList lines = block.split(u'\n');
    const qsizetype width = lines.constFirst().count(u'\t') + 1;
    for (const QString& line : lines) {
        if (line.count(u'\t') + 1 != width) {
            return pasteRefused(QString::fromUtf16(channel_messages::kPasteNotATable));
        }
    }
    if (row + lines.size() > kChannelCount || column + width > kColumnCount) {
        return pasteRefused(QString::fromUtf16(channel_messages::kPasteTooLarge)
                                .arg(lines.size())
                                .arg(width)
                                .arg(kChannelCount - row)
                                .arg(kColumnCount - column));
    }
    QList<CellValue> cells;
    for (qsizetype r = 0; r < lines.size(); ++r) {
        const QStringList values = lines.at(r).split(u'\t');
        for (qsizetype c = 0; c < width; ++c) {
            cells.append({row + static_cast<int>(r), column + static_cast<int>(c), values.at(c)});
        }
    }
    return cells;
}

QString textFromCells(const ChannelTable& rows, int top, int left, int bottom, int right) {
    QString text;
    for (int r = top; r <= bottom; ++r) {
        QStringList values;
        for (int c = left; c <= right; ++c) {
            values << rows.at(static_cast<std::size_t>(r))[c].value_or(QString());
        }
        text += values.join(u'\t') + u'\n';
    }
    return text;
}

}  // namespace qm3270

// Opening a channel file from any bytes, and saving what was opened: the saved
// text must open again as the same table.

#include "file/channel_file.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <variant>

using qm3270::ChannelFile;

namespace {

QString withoutLeadingBlanks(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace()) {
        ++start;
    }
    return text.mid(start);
}

// A field of blanks only is saved unquoted and comes back empty: both mean
// "not programmed" (the beat list's "  " item among them).
qm3270::ChannelTable blanksAsEmpty(qm3270::ChannelTable rows) {
    for (qm3270::ChannelRecord& row : rows) {
        for (qm3270::Field& field : row.fields) {
            if (field && field->trimmed().isEmpty()) {
                field = QString(QLatin1String(""));
            }
        }
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto opened = qm3270::parseChannelFile(bytes);
    const auto* file = std::get_if<ChannelFile>(&opened);
    if (file == nullptr) {
        return 0;  // refused as a whole: nothing was read, nothing to save
    }
    // Saving writes exactly these bytes (saveChannelFile adds only the atomic replace).
    const QString saved = qm3270::formatChannelFile(file->squelch, file->rows);
    const auto reopened = qm3270::parseChannelFile(saved.toUtf8());
    const auto* again = std::get_if<ChannelFile>(&reopened);
    if (again == nullptr) {
        qm3270::fuzz::fail("a saved file opens again", saved);
    }
    // The squelch text is saved with its blanks unquoted ("  3" is the squelch
    // list's own form of 3), so leading blanks are the one thing it may lose.
    if (withoutLeadingBlanks(again->squelch) != withoutLeadingBlanks(file->squelch) ||
        blanksAsEmpty(again->rows) != blanksAsEmpty(file->rows)) {
        qm3270::fuzz::fail("a saved file opens as the table that was saved",
                           QStringLiteral("opened:\n%1\nsaved as:\n%2\nreopened:\n%3")
                               .arg(qm3270::fuzz::describe(file->squelch, file->rows), saved,
                                    qm3270::fuzz::describe(again->squelch, again->rows)));
    }
    return 0;
}

// Importing a CSV channel list from any bytes (fitted where the radio cannot
// hold it as it stands), and exporting what was imported whatever the squelch
// box holds: the export must import again as the same
// table, and export again as the same text.

#include "file/chirp_csv.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <variant>

using qm3270::CsvImport;

namespace {

void checkExport(const QString& squelch, const qm3270::ChannelTable& rows) {
    const QString exported = qm3270::formatChirpCsv(squelch, rows);
    const auto again = qm3270::parseChirpCsv(exported.toUtf8());
    const auto* reimported = std::get_if<CsvImport>(&again);
    if (reimported == nullptr) {
        qm3270::fuzz::fail("an exported list imports again",
                           QStringLiteral("squelch \"%1\"\n%2").arg(squelch, exported));
    }
    // A file without a squelch line leaves the window's level as it was.
    const QString level = reimported->squelch.value_or(squelch);
    if (reimported->rows != rows || qm3270::formatChirpCsv(level, rows) != exported) {
        qm3270::fuzz::fail("an exported list imports as the table that was exported",
                           QStringLiteral("imported:\n%1\nexported as:\n%2\nreimported:\n%3")
                               .arg(qm3270::fuzz::describe(squelch, rows), exported,
                                    qm3270::fuzz::describe(level, reimported->rows)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto imported = qm3270::parseChirpCsv(bytes);
    const auto* table = std::get_if<CsvImport>(&imported);
    if (const auto* refusal = std::get_if<qm3270::CsvRefusal>(&imported)) {
        if (!refusal->fit) {
            return 0;  // refused with its reasons: the table stays as it was
        }
        table = &refusal->fit->fitted;  // what the user may agree to take
    }
    // The file's own level (3 stands in for the window's), texts the squelch
    // box accepts that are no level or not in their plain form, and the
    // input's first characters as one more.
    for (const QString& squelch :
         {table->squelch.value_or(QStringLiteral("3")), QStringLiteral("05"), QString(),
          QStringLiteral(" 7"), QStringLiteral("x"), QStringLiteral("-1"), QStringLiteral("4.5"),
          QString::fromLatin1(bytes.left(4))}) {
        checkExport(squelch, table->rows);
    }
    return 0;
}

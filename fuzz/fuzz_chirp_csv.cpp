// Importing a CSV channel list from any bytes, and exporting what was imported:
// the export must import again, and export again as the same text.

#include "file/chirp_csv.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <variant>

using qm3270::CsvImport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto imported = qm3270::parseChirpCsv(bytes);
    const auto* table = std::get_if<CsvImport>(&imported);
    if (table == nullptr) {
        return 0;  // refused with its reasons: the table stays as it was
    }
    // A file without a squelch line leaves the window's level; 3 stands in for it.
    const QString squelch = table->squelch.value_or(QStringLiteral("3"));
    const QString exported = qm3270::formatChirpCsv(squelch, table->rows);
    const auto again = qm3270::parseChirpCsv(exported.toUtf8());
    const auto* reimported = std::get_if<CsvImport>(&again);
    if (reimported == nullptr) {
        qm3270::fuzz::fail("an exported list imports again", exported);
    }
    if (reimported->squelch != squelch || reimported->rows != table->rows) {
        qm3270::fuzz::fail(
            "an exported list imports as the table that was exported",
            QStringLiteral("imported:\n%1\nexported as:\n%2\nreimported:\n%3")
                .arg(qm3270::fuzz::describe(squelch, table->rows), exported,
                     qm3270::fuzz::describe(reimported->squelch.value_or(""), reimported->rows)));
    }
    return 0;
}

#include "file/csv_records.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace qm3270 {
namespace {

// Each record as "line:value|value", "line#comment" or "line!" for an open quote.
QStringList shown(const QList<CsvRecord>& records) {
    QStringList out;
    for (const CsvRecord& record : records) {
        const QString mark = record.comment ? QStringLiteral("#") : QStringLiteral(":");
        out << QString::number(record.line) + mark + record.values.join(u'|') +
                   (record.unterminatedQuote ? QStringLiteral("!") : QString());
    }
    return out;
}

struct SplitCase {
    const char* name;
    const char* text;
    QStringList records;
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, NamesEachRecordByTheLineAnEditorShows) {
    EXPECT_EQ(shown(splitCsvRecords(QString::fromUtf8(GetParam().text))), GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Split,
    ::testing::Values(SplitCase{"CrlfCountsOnce",
                                "# squelch=3\r\na,b\r\n\r\n \t\r\nc,\r\n",
                                {"1# squelch=3", "2:a|b", "5:c|"}},
                      SplitCase{"CrAlone", "a\rb\r", {"1:a", "2:b"}},
                      SplitCase{"CrlfInsideQuotes", "\"x\r\ny\",1\r\nz", {"1:x\r\ny|1", "3:z"}},
                      SplitCase{
                          "DoubledQuoteKept", "\"say \"\"hi\"\"\",\"\"\"\"\n", {"1:say \"hi\"|\""}},
                      SplitCase{"QuoteInsideAValueIsText", "a\"b,c\n", {"1:a\"b|c"}},
                      SplitCase{"OpenQuote", "1,2\n\"open,3\n4", {"1:1|2", "2:open,3\n4!"}}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace qm3270

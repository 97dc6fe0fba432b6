#include "channels/numbers.h"

#include <QLocale>

#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>

namespace qm3270 {
namespace {

struct ReadCase {
    const char* text;
    double value;
};

class LeadingNumber : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(GetParam().text)), GetParam().value)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumber,
                         ::testing::Values(ReadCase{"145.0125", 145.0125},  //
                                           ReadCase{"  3", 3},            // the squelch list items
                                           ReadCase{"1 4 5 . 5", 145.5},  // blanks anywhere
                                           ReadCase{"12AB3456", 12},      // stops at "A"
                                           ReadCase{"on", 0}, ReadCase{"", 0}, ReadCase{".", 0},
                                           ReadCase{"-", 0}, ReadCase{"Null", 0},
                                           ReadCase{".5", 0.5}, ReadCase{"-1", -1},
                                           ReadCase{"+7", 7}, ReadCase{"- 2.5x", -2.5},
                                           ReadCase{"1e2", 100}, ReadCase{"1E-2", 0.01},
                                           ReadCase{"2e", 2}, ReadCase{"2e+", 2},
                                           ReadCase{"2.5.1", 2.5}, ReadCase{"145,5", 145},
                                           ReadCase{"9.5", 9.5}, ReadCase{"1e-999", 0}));

TEST(LeadingNumber, BeyondDoubleRangeReadsAsInfinity) {
    EXPECT_EQ(leadingNumber(u"1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber(u"-1e999"), -std::numeric_limits<double>::infinity());
}

struct WholeCase {
    const char* text;
    std::optional<double> value;
};

class NumberValue : public ::testing::TestWithParam<WholeCase> {};

TEST_P(NumberValue, IsANumberOnlyWhenNothingElseFollows) {
    EXPECT_EQ(numberValue(QString::fromUtf8(GetParam().text)), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberValue,
    ::testing::Values(WholeCase{"145.5", 145.5}, WholeCase{" 7 ", 7}, WholeCase{"0145.5", 145.5},
                      WholeCase{"-1", -1}, WholeCase{"1e2", 100}, WholeCase{"7x", std::nullopt},
                      WholeCase{"", std::nullopt}, WholeCase{"  ", std::nullopt},
                      WholeCase{".", std::nullopt}, WholeCase{"on", std::nullopt},
                      WholeCase{"1e999", std::nullopt}));

struct TextCase {
    double value;
    const char* text;
};

class NumberText : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberText, WritesFifteenSignificantDigits) {
    EXPECT_EQ(numberText(GetParam().value), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberText,
    ::testing::Values(TextCase{145.6125 * 100000, "14561250"},  // not 14561249.999999998
                      TextCase{150.000006 * 100000 - 2140000, "12860000.6"}, TextCase{0, "0"},
                      TextCase{-0.0, "0"}, TextCase{6, "6"}, TextCase{-1140000, "-1140000"},
                      TextCase{0.1, "0.1"}, TextCase{0.000125, "0.000125"},
                      TextCase{1e20, "100000000000000000000"},
                      TextCase{1.0 / 3.0, "0.333333333333333"},
                      TextCase{123456789.123456789, "123456789.123457"}));

class FrequencyText : public ::testing::TestWithParam<TextCase> {};

TEST_P(FrequencyText, WritesFiveDecimals) {
    EXPECT_EQ(frequencyText(GetParam().value), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FrequencyText,
    ::testing::Values(TextCase{145.5, "145.50000"}, TextCase{0.5, ".50000"},
                      TextCase{0.12345, ".12345"}, TextCase{0, ".00000"},
                      TextCase{145.00625, "145.00625"}, TextCase{145.000005, "145.00001"},
                      TextCase{145.000004, "145.00000"}, TextCase{99.999996, "100.00000"},
                      TextCase{999.99999 + 21.4, "1021.39999"},
                      TextCase{12860000 / 100000.0 + 21.4, "150.00000"}, TextCase{-0.5, "-.50000"},
                      TextCase{-0.000001, ".00000"}));

// A German desktop writes "145,5"; the radio's numbers never change with it.
TEST(Numbers, IgnoreTheUserLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            break;
        }
    }
    EXPECT_DOUBLE_EQ(leadingNumber(u"145.5"), 145.5);
    EXPECT_EQ(numberText(145.6125 * 100000 + 0.5), u"14561250.5");
    EXPECT_EQ(frequencyText(145.5), u"145.50000");
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(saved);
}

}  // namespace
}  // namespace qm3270

#include "link/write_data.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <functional>

namespace qm3270 {
namespace {

// A table the grid could have produced: every channel programmed and numbered.
ChannelTable goodTable() {
    ChannelTable rows;
    for (int k = 0; k < kChannelCount; ++k) {
        auto& r = rows.at(static_cast<std::size_t>(k));
        r[kChannelNumber] = QString::number(k + 1);
        r[kReceive] = QStringLiteral("145.01250");
        r[kTransmit] = QStringLiteral("145.01250");
        r[kBeat] = QStringLiteral("off");
    }
    return rows;
}

struct RefuseCase {
    const char* name;
    const char* squelch;
    std::function<void(ChannelTable&)> spoil;
    int row;                  // 0: accepted
    const char* reason = "";  // the detailed text: the field and its value
};

void set(ChannelTable& rows, int row, int column, Field value) {
    rows.at(static_cast<std::size_t>(row - 1))[column] = std::move(value);
}

class WriteData : public ::testing::TestWithParam<RefuseCase> {};

TEST_P(WriteData, SendsNothingTheRadioCannotTake) {
    const RefuseCase& c = GetParam();
    ChannelTable rows = goodTable();
    c.spoil(rows);
    const auto built = buildWriteFrames(QString::fromUtf8(c.squelch), rows);
    if (c.row == 0) {
        ASSERT_TRUE(std::holds_alternative<QStringList>(built));
        EXPECT_EQ(std::get<QStringList>(built).size(), 16);
        return;
    }
    ASSERT_TRUE(std::holds_alternative<RefusedRow>(built));
    const RefusedRow& refused = std::get<RefusedRow>(built);
    EXPECT_EQ(refused.row, c.row);
    EXPECT_EQ(refused.message.text,
              QStringLiteral("第 %1 信道数据无效，未写入对讲机！").arg(c.row));
    EXPECT_EQ(refused.message.title, u"错误警告 ");
    EXPECT_EQ(refused.message.icon, UserMessage::Icon::Information);
    EXPECT_EQ(refused.message.detail, QString::fromUtf8(c.reason));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, WriteData,
    ::testing::Values(
        RefuseCase{"GridTable", "  3", [](ChannelTable&) {}, 0},
        RefuseCase{"UnprogrammedRows", "3",
                   [](ChannelTable& table) {
                       set(table, 4, kReceive, std::nullopt);
                       set(table, 4, kTransmit, QStringLiteral(""));
                       set(table, 5, kReceive, QStringLiteral("Null"));
                   },
                   0},
        RefuseCase{"RowOneNumberIgnored", "3",
                   [](ChannelTable& table) { set(table, 1, kChannelNumber, std::nullopt); }, 0},
        RefuseCase{
            "ChannelNumberWithBlanks", "3",
            [](ChannelTable& table) { set(table, 7, kChannelNumber, QStringLiteral(" 7 ")); }, 0},
        RefuseCase{
            "ChannelNumberWholeDecimal", "3",
            [](ChannelTable& table) { set(table, 7, kChannelNumber, QStringLiteral("7.0")); }, 0},
        RefuseCase{"BoundsOfTheBand", "3",
                   [](ChannelTable& table) {
                       set(table, 2, kReceive, QStringLiteral("130"));
                       set(table, 2, kTransmit, QStringLiteral("500"));
                   },
                   0},
        RefuseCase{"SquelchNegative", "-1", [](ChannelTable&) {}, 1, "静噪级别“-1”不是 0–9 的整数"},

        RefuseCase{"NullChannelNumber", "3",
                   [](ChannelTable& table) { set(table, 9, kChannelNumber, std::nullopt); }, 9,
                   "信道号为空，不是 1–16 的整数"},

        RefuseCase{"ChannelNumberWithTrailingText", "3",
                   [](ChannelTable& table) { set(table, 7, kChannelNumber, QStringLiteral("7x")); },
                   7, "信道号“7x”不是 1–16 的整数"},
        RefuseCase{
            "ChannelNumberFraction", "3",
            [](ChannelTable& table) { set(table, 7, kChannelNumber, QStringLiteral("7.5")); }, 7,
            "信道号“7.5”不是 1–16 的整数"},
        RefuseCase{
            "ChannelSeventeen", "3",
            [](ChannelTable& table) { set(table, 16, kChannelNumber, QStringLiteral("17")); }, 16,
            "信道号“17”不是 1–16 的整数"},

        RefuseCase{"ReceiveBelowBand", "3",
                   [](ChannelTable& table) { set(table, 12, kReceive, QStringLiteral("129.99")); },
                   12, "接收频率“129.99”超出 130–500 MHz"},
        RefuseCase{"ReceiveAboveBand", "3",
                   [](ChannelTable& table) { set(table, 3, kReceive, QStringLiteral("500.005")); },
                   3, "接收频率“500.005”超出 130–500 MHz"},
        RefuseCase{"TransmitHuge", "3",
                   [](ChannelTable& table) { set(table, 5, kTransmit, QStringLiteral("1e400")); },
                   5, "发送频率“1e400”超出 130–500 MHz"},
        RefuseCase{"FirstBadRowWins", "3",
                   [](ChannelTable& table) {
                       set(table, 14, kReceive, QStringLiteral("50"));
                       set(table, 6, kChannelNumber, QStringLiteral("abc"));
                   },
                   6, "信道号“abc”不是 1–16 的整数"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(WriteData, FramesAreTheEncodedRowsInOrder) {
    ChannelTable rows = goodTable();
    set(rows, 11, kReceive, QStringLiteral("151.82500"));
    set(rows, 11, kTransmit, QStringLiteral("156.80000"));
    const auto built = buildWriteFrames(QStringLiteral("  3"), rows);
    ASSERT_TRUE(std::holds_alternative<QStringList>(built));
    const QStringList& frames = std::get<QStringList>(built);
    EXPECT_EQ(frames.at(0), u"03005012361250125014");
    EXPECT_EQ(frames.at(10), u"10000025041300006815");
    EXPECT_EQ(frames.at(15), u"15005012361250125014");
}

}  // namespace
}  // namespace qm3270

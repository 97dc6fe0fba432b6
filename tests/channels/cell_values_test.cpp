#include "channels/cell_values.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace qm3270 {
namespace {

QString field(const ChannelTable& rows, int row, int column) {
    return rows.at(static_cast<std::size_t>(row))[column].value_or(QStringLiteral("<Null>"));
}

struct PasteCase {
    const char* name;
    const char* text;
    int row;
    int column;
    const char* refusal;  // the detail of the refusal; "" when it goes in
};

class PasteBlock : public ::testing::TestWithParam<PasteCase> {};

TEST_P(PasteBlock, FitsOrIsRefusedWhole) {
    const PasteCase& c = GetParam();
    const auto cells = cellsFromText(QString::fromUtf8(c.text), c.row, c.column);
    if (*c.refusal == '\0') {
        EXPECT_TRUE(std::holds_alternative<QList<CellValue>>(cells));
        return;
    }
    ASSERT_TRUE(std::holds_alternative<UserMessage>(cells));
    EXPECT_EQ(std::get<UserMessage>(cells).text, u"无法粘贴，信道表未改变！");
    EXPECT_EQ(std::get<UserMessage>(cells).detail, QString::fromUtf8(c.refusal));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, PasteBlock,
    ::testing::Values(PasteCase{"SpreadsheetBlock", "145\t146\r\n150\t151\r\n", 14, 1, ""},
                      PasteCase{"LastCellOfTheGrid", "on", 15, 3, ""},
                      PasteCase{"FortyRowsIntoSixteen",
                                "145\n145\n145\n145\n145\n145\n145\n145\n145\n145\n"
                                "145\n145\n145\n145\n145\n145\n145\n145\n145\n145\n"
                                "145\n145\n145\n145\n145\n145\n145\n145\n145\n145\n"
                                "145\n145\n145\n145\n145\n145\n145\n145\n145\n145\n",
                                0, 1, "剪贴板中的表格有 40 行 1 列，从当前单元格起只有 16 行 3 列"},
                      PasteCase{"ColumnsPastTheBeat", "145\t145\ton", 0, 2,
                                "剪贴板中的表格有 1 行 3 列，从当前单元格起只有 16 行 2 列"},
                      PasteCase{"RaggedText", "Dear customer,\tthe radio\nis ready", 0, 1,
                                "剪贴板中的文字不是表格：各行的值个数不同"},
                      PasteCase{"Nothing", "", 0, 1, "剪贴板中没有文字"}),
    [](const auto& test) { return std::string(test.param.name); });

// Every value goes through the rules of a typed cell; what they refuse is
// told once, for all refused cells together.
TEST(CellValues, EachValueThroughTheGridsRules) {
    ChannelTable rows;
    rows.at(2)[kTransmit] = QStringLiteral("150.00000");
    const auto cells = cellsFromText(QStringLiteral("145.013\t\tON\n600\t146\t on \n"), 1, 1);
    ASSERT_TRUE(std::holds_alternative<QList<CellValue>>(cells));
    const CellsApplied applied = applyCellValues(rows, std::get<QList<CellValue>>(cells));
    EXPECT_EQ(field(applied.rows, 1, kReceive), u"145.01000");
    EXPECT_EQ(field(applied.rows, 1, kTransmit), u"");  // emptied after the copy
    EXPECT_EQ(field(applied.rows, 1, kBeat), u"on");
    EXPECT_EQ(field(applied.rows, 2, kReceive), u"");
    EXPECT_EQ(field(applied.rows, 2, kTransmit), u"");  // no receive frequency, no transmit
    EXPECT_EQ(field(applied.rows, 2, kBeat), u"on");
    ASSERT_TRUE(applied.refused);
    EXPECT_EQ(applied.refused->text, u"数据超出范围 ！！");
    EXPECT_EQ(applied.refused->detail, u"第 3 信道接收频率“600”");
}

TEST(CellValues, CopiedBlockIsTabSeparated) {
    ChannelTable rows;
    rows.at(0)[kReceive] = QStringLiteral("145.00000");
    rows.at(0)[kBeat] = QStringLiteral("on");
    EXPECT_EQ(textFromCells(rows, 0, 1, 1, 3), u"145.00000\t\ton\n\t\t\n");
}

}  // namespace
}  // namespace qm3270

#include "channels/edit_rules.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <optional>

namespace qm3270 {
namespace {

const UserMessage kRangeMessage{QStringLiteral("数据超出范围 ！！"), QStringLiteral("错误警告 "),
                                UserMessage::Icon::Information};

Field text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct SnapCase {
    const char* typed;
    const char* stored;
};

class Snap : public ::testing::TestWithParam<SnapCase> {};

TEST_P(Snap, KeepsRasterPointsAndCutsTheRestDown) {
    ChannelRecord row;
    row[kReceive] = text(GetParam().typed);
    const EditResult result = applyCellEdit(row, kReceive);
    EXPECT_EQ(result.record[kReceive], text(GetParam().stored)) << GetParam().typed;
    EXPECT_EQ(result.record[kTransmit], text(GetParam().stored));
    EXPECT_FALSE(result.message);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, Snap,
    ::testing::Values(SnapCase{"145", "145.00000"}, SnapCase{"145.0125", "145.01250"},
                      SnapCase{"435.00625", "435.00625"}, SnapCase{"145.013", "145.01000"},
                      SnapCase{"145.0175", "145.01500"}, SnapCase{"145.0049", "145.00000"},
                      SnapCase{"130", "130.00000"}, SnapCase{"130.0049", "130.00000"},
                      SnapCase{"500", "500.00000"},
                      // on the raster to 10 Hz, but not to five decimals
                      SnapCase{"433.900005", "433.90000"}, SnapCase{"145.0124999", "145.01250"}));

struct EditCase {
    const char* name;
    ChannelRecord before;
    int column;
    ChannelRecord after;
    bool message;
};

ChannelRecord row(Field rx, Field tx, Field beat = text("off")) {
    ChannelRecord r;
    r[kChannelNumber] = text("5");
    r[kReceive] = std::move(rx);
    r[kTransmit] = std::move(tx);
    r[kBeat] = std::move(beat);
    return r;
}

class CellEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(CellEdit, LeavesTheRowAsTheUserSeesIt) {
    const EditCase& c = GetParam();
    const EditResult result = applyCellEdit(c.before, c.column);
    EXPECT_EQ(result.record, c.after);
    EXPECT_EQ(result.message, c.message ? std::optional(kRangeMessage) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CellEdit,
    ::testing::Values(EditCase{"ReceiveCopiedToTransmit", row(text("145"), text("150.00000")),
                               kReceive, row(text("145.00000"), text("145.00000")), false},
                      EditCase{"ReceiveOutOfRangeKeepsTransmit",
                               row(text("600"), text("150.00000")), kReceive,
                               row(text(""), text("150.00000")), true},

                      EditCase{"ReceiveBelow130", row(text("129.999"), std::nullopt), kReceive,
                               row(text(""), std::nullopt), true},
                      EditCase{"ReceiveEmptiedEmptiesBoth", row(text(""), text("150.00000")),
                               kReceive, row(text(""), text("")), false},

                      EditCase{"ReceiveTextEmptiesBoth", row(text("abc"), text("150.00000")),
                               kReceive, row(text(""), text("")), false},
                      EditCase{"TransmitSnapped", row(text("145.00000"), text("146.013")),
                               kTransmit, row(text("145.00000"), text("146.01000")), false},
                      EditCase{"TransmitWithoutReceive", row(text(""), text("146")), kTransmit,
                               row(text(""), text("")), false},
                      EditCase{"TransmitWithNullReceive", row(std::nullopt, text("146")), kTransmit,
                               row(std::nullopt, text("")), false},

                      EditCase{"TransmitOutOfRange", row(text("145.00000"), text("501")), kTransmit,
                               row(text("145.00000"), text("")), true},

                      EditCase{"BeatAsTyped", row(text("1"), text("x"), text("a,b")), kBeat,
                               row(text("1"), text("x"), text("a,b")), false}),
    [](const auto& test) { return std::string(test.param.name); });

struct SquelchCase {
    const char* text;
    bool refused;
};

class SquelchLimit : public ::testing::TestWithParam<SquelchCase> {};

TEST_P(SquelchLimit, RefusesLevelsAboveNine) {
    const auto message = squelchLimitMessage(QString::fromUtf8(GetParam().text));
    if (GetParam().refused) {
        ASSERT_TRUE(message);
        EXPECT_EQ(message->text, u"静燥级别不可大于 9 ！！！");
        EXPECT_EQ(message->title, u"错误警告");
        EXPECT_EQ(message->icon, UserMessage::Icon::Information);
    } else {
        EXPECT_FALSE(message) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, SquelchLimit,
                         ::testing::Values(SquelchCase{"  9", false}, SquelchCase{"12", true},
                                           SquelchCase{"9.5", true}, SquelchCase{" 10 ", true},
                                           SquelchCase{"-1", false}, SquelchCase{"x", false}));

}  // namespace
}  // namespace qm3270

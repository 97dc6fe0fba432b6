#include "link/frame_codec.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <optional>

namespace qm3270 {
namespace {

Field text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

ChannelRecord row(Field channel, Field rx, Field tx, Field beat) {
    ChannelRecord r;
    r[kChannelNumber] = std::move(channel);
    r[kReceive] = std::move(rx);
    r[kTransmit] = std::move(tx);
    r[kBeat] = std::move(beat);
    return r;
}

struct EncodeCase {
    int position;
    const char* squelch;
    ChannelRecord row;
    const char* frame;
};

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, SendsTheFrameTheRadioExpects) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(frame::encodeFrame(c.position, c.row, QString::fromUtf8(c.squelch)),
              QString::fromLatin1(c.frame));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, Encode,
    ::testing::Values(
        EncodeCase{1, "  3", row(text("1"), text("150.00000"), text("150.00000"), text("on")),
                   "03010000861200000015"},
        EncodeCase{2, "  3", row(text("2"), text("136.01250"), text("174.00000"), text("on")),
                   "01015012461100004017"},
        EncodeCase{5, "  3", row(text("5"), text("145.61250"), text("145.61250"), text("off")),
                   "04005012421250125614"},
        EncodeCase{11, "  3", row(text("11"), text("151.82500"), text("156.80000"), text("off")),
                   "10000025041300006815"},
        EncodeCase{12, "  3", row(text("12"), text("438.50000"), text("433.50000"), text("on")),
                   "11010000714100003543"},
        EncodeCase{16, "  3", row(text("16"), text(""), text(""), text("  ")),
                   "15000000000000000000"},
        EncodeCase{1, "  0", row(text("1"), std::nullopt, std::nullopt, text("off")),
                   "00000000000000000000"},
        // Frame 1 carries the squelch level whatever row 1's channel number says.
        EncodeCase{1, "  9", row(text("7"), text(""), text(""), text("")), "09000000000000000000"},
        // A receive frequency without a transmit frequency, and beat "On" is not "on".
        EncodeCase{3, "3", row(text("3"), text("150"), text("0"), text("On")),
                   "02000000861200000000"},
        // More than five decimals is cut to whole 10 Hz steps, not rounded.
        EncodeCase{1, "3", row(std::nullopt, text("150.000006"), text("150.000006"), std::nullopt),
                   "03000000861200000015"}));

struct PieceCase {
    const char* input;
    const char* output;
};

class SquelchHeader : public ::testing::TestWithParam<PieceCase> {};
TEST_P(SquelchHeader, Encodes) {
    EXPECT_EQ(frame::squelchHeader(QString::fromUtf8(GetParam().input)),
              QString::fromUtf8(GetParam().output));
}
INSTANTIATE_TEST_SUITE_P(Texts, SquelchHeader,
                         ::testing::Values(PieceCase{"  3", "03"}, PieceCase{"  9", "09"},
                                           PieceCase{"", "00"}, PieceCase{"   ", "00"},
                                           PieceCase{"x", "00"}, PieceCase{"12", "12"},
                                           PieceCase{"-1", "-1"}, PieceCase{"3.5", "3.5"}));

class ChannelHeader : public ::testing::TestWithParam<PieceCase> {};
TEST_P(ChannelHeader, IsDecimalChannelMinusOne) {
    EXPECT_EQ(frame::channelHeader(text(GetParam().input)), QString::fromUtf8(GetParam().output));
}
INSTANTIATE_TEST_SUITE_P(Numbers, ChannelHeader,
                         ::testing::Values(PieceCase{"7", "06"}, PieceCase{"11", "10"},
                                           PieceCase{"16", "15"}, PieceCase{"2", "01"},
                                           PieceCase{"x", "-1"}, PieceCase{"7.5", "6.5"}));

TEST(ChannelHeader, NullReadsAsZero) {
    EXPECT_EQ(frame::channelHeader(std::nullopt), u"-1");
}

class ReceiveField : public ::testing::TestWithParam<PieceCase> {};
TEST_P(ReceiveField, Encodes) {
    EXPECT_EQ(frame::receiveField(text(GetParam().input)), QString::fromUtf8(GetParam().output));
}
INSTANTIATE_TEST_SUITE_P(
    Frequencies, ReceiveField,
    ::testing::Values(PieceCase{"150.00000", "00008612"}, PieceCase{"0", "00000000"},
                      PieceCase{"", "00000000"}, PieceCase{"abc", "00000000"},
                      PieceCase{"100", "00008607"},   // seven digits get one "0" in front
                      PieceCase{"30", "0006008"},     // 860000: still short after the pad
                      PieceCase{"10", "000014-1"}));  // below 21.4 MHz the "-" lands inside

class TransmitField : public ::testing::TestWithParam<PieceCase> {};
TEST_P(TransmitField, Encodes) {
    EXPECT_EQ(frame::transmitField(text(GetParam().input)), QString::fromUtf8(GetParam().output));
}
INSTANTIATE_TEST_SUITE_P(Frequencies, TransmitField,
                         ::testing::Values(PieceCase{"150", "00000015"},
                                           PieceCase{"0.0", "00000000"},
                                           PieceCase{"50", "0000050"}));  // never padded

TEST(Frame, NullFrequenciesAreUnprogrammed) {
    EXPECT_EQ(frame::receiveField(std::nullopt), u"00000000");
    EXPECT_EQ(frame::transmitField(std::nullopt), u"00000000");
}

TEST(Frame, ShortTransmitFieldGivesANineteenCharacterFrame) {
    const QString sent = frame::encodeFrame(2, row(text("2"), text("150"), text("50"), text("on")),
                                            QStringLiteral("3"));
    EXPECT_EQ(sent, u"0101000086120000050");
}

struct DecodeCase {
    const char* frame;
    const char* squelch;
    const char* receive;
    const char* transmit;
    const char* beat;
};

class Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, StoresWhatTheRadioHolds) {
    const DecodeCase& c = GetParam();
    const frame::DecodedFrame decoded = frame::decodeFrame(QString::fromLatin1(c.frame));
    EXPECT_EQ(decoded.squelch, QString::fromLatin1(c.squelch));
    EXPECT_EQ(decoded.record, row(std::nullopt, text(c.receive), text(c.transmit), text(c.beat)));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Decode,
    ::testing::Values(
        DecodeCase{"03010000861200000015", "3", "150.00000", "150.00000", "on"},
        DecodeCase{"01015012461100004017", "1", "136.01250", "174.00000", "on"},
        DecodeCase{"04005012421250125614", "4", "145.61250", "145.61250", "off"},
        DecodeCase{"15000000000000000000", "5", "", "", ""},
        DecodeCase{"00010000000000000015", "0", "", "150.00000", "on"},   // on, no receive
        DecodeCase{"00000000861200000000", "0", "150.00000", "", "off"},  // no transmit
        DecodeCase{"00000000000045230100", "0", "", ".12345", ""},        // below 1 MHz
        DecodeCase{"00009999999999999999", "0", "1021.39999", "999.99999", "off"},
        DecodeCase{"00005634AB1200000000", "0", "21.40012", "", "off"},  // stops at "A"
        DecodeCase{"0000345612AB00000000", "0", "", "", ""}));           // starts with "A"

// What the grid admits comes back from the radio exactly as it went.
TEST(Frame, AdmittedValuesSurviveARoundTrip) {
    for (const char* frequency : {"130.00000", "145.00625", "435.02500", "500.00000"}) {
        const ChannelRecord sent = row(text("4"), text(frequency), text(frequency), text("on"));
        const auto decoded = frame::decodeFrame(frame::encodeFrame(4, sent, QStringLiteral("  3")));
        EXPECT_EQ(decoded.record[kReceive], text(frequency));
        EXPECT_EQ(decoded.record[kTransmit], text(frequency));
    }
}

}  // namespace
}  // namespace qm3270

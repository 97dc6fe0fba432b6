#include "sim/radio_engine.h"

#include <gtest/gtest.h>

#include <QString>

namespace qm3270 {
namespace {

QByteArray unprogrammed() {
    return RadioEngine().readAnswer();
}

// Sixteen distinct frames, as the program would write a filled table.
RadioEngine::Frames programmedFrames() {
    RadioEngine::Frames frames;
    frames[0] = "03010000861200000015";
    for (std::size_t k = 1; k < frames.size(); ++k) {
        frames[k] = QByteArray::number(static_cast<int>(k)).rightJustified(2, '0') + "00" +
                    "5012421250125614";
        frames[k][6] = static_cast<char>('0' + k % 10);
    }
    return frames;
}

QByteArray joined(const RadioEngine::Frames& frames) {
    QByteArray text;
    for (const QByteArray& frame : frames) {
        text += frame;
    }
    return text;
}

TEST(RadioEngine, FreshRadioAnswersSixteenUnprogrammedFramesAtSquelchThree) {
    const QByteArray answer = RadioEngine().receive("5");
    ASSERT_EQ(answer.size(), 320);
    EXPECT_EQ(answer.first(20), "03000000000000000000");
    EXPECT_EQ(answer.sliced(20, 20), "01000000000000000000");
    EXPECT_EQ(answer.sliced(200, 20), "10000000000000000000");
    EXPECT_EQ(answer.last(20), "15000000000000000000");
}

struct ExchangeCase {
    const char* name;
    RadioEngine::Faults faults;
    QByteArray sent;
    QByteArray answered;
    bool hungUp = false;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) {
    *os << c.name;
}

class RadioExchange : public testing::TestWithParam<ExchangeCase> {};

TEST_P(RadioExchange, AnswersWhatTheRadioWould) {
    const ExchangeCase& c = GetParam();
    RadioEngine radio;
    radio.setFaults(c.faults);
    EXPECT_EQ(radio.receive(c.sent), c.answered);
    EXPECT_EQ(radio.hungUp(), c.hungUp);
}

RadioEngine::Faults faults(bool off, std::optional<int> stop, const char* noise,
                           std::optional<int> hangUp) {
    RadioEngine::Faults f;
    f.off = off;
    f.stopAfter = stop;
    f.noise = noise;
    f.hangUpAfter = hangUp;
    return f;
}
RadioEngine::Faults switchedOff() {
    return faults(true, {}, "", {});
}
RadioEngine::Faults noise(const char* text) {
    return faults(false, {}, text, {});
}
RadioEngine::Faults stopAfter(int n) {
    return faults(false, n, "", {});
}
RadioEngine::Faults hangUpAfter(int n) {
    return faults(false, {}, "", n);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RadioExchange,
    testing::Values(
        ExchangeCase{"poll", {}, "C", "C"},
        ExchangeCase{"stray_characters_dropped", {}, "c\r\nx0C9", "C"},
        ExchangeCase{"read_after_stray", {}, "?5", unprogrammed()},
        ExchangeCase{"off_answers_nothing", switchedOff(), "C5C", ""},
        ExchangeCase{"noise_before_poll_answer", noise("xy"), "C", "xyC"},
        ExchangeCase{"noise_before_read_answer", noise("C"), "5", "C" + unprogrammed()},
        ExchangeCase{"stop_cuts_read", stopAfter(25), "5", unprogrammed().first(25)},
        ExchangeCase{"stopped_radio_stays_silent", stopAfter(25), "5C5", unprogrammed().first(25)},
        ExchangeCase{"stop_at_zero", stopAfter(0), "C5C", "C"},
        ExchangeCase{"stop_beyond_answer", stopAfter(320), "5C", unprogrammed() + "C"},
        ExchangeCase{"stop_leaves_noise", faults(false, 3, "n", {}), "5", "n030"},
        ExchangeCase{"hang_up_counts_in_and_out", hangUpAfter(3), "CCC", "C", true},
        ExchangeCase{"hang_up_on_arrival", hangUpAfter(1), "C", "", true},
        ExchangeCase{"hang_up_cuts_answer", hangUpAfter(11), "5", unprogrammed().first(10), true},
        ExchangeCase{"hang_up_while_off", faults(true, {}, "", 2), "CCC", "", true}),
    [](const testing::TestParamInfo<ExchangeCase>& param) { return param.param.name; });

// How a write reaches the radio: all at once, a frame at a time, a character at a time.
class RadioWrite : public testing::TestWithParam<int> {};

TEST_P(RadioWrite, WriteThenReadReturnsTheSameFrames) {
    RadioEngine radio;
    const QByteArray write = "A" + joined(programmedFrames());
    for (qsizetype at = 0; at < write.size(); at += GetParam()) {
        EXPECT_EQ(
            radio.receive(write.sliced(at, std::min<qsizetype>(GetParam(), write.size() - at))),
            "");
    }
    EXPECT_TRUE(radio.takeMemoryChanged());
    EXPECT_FALSE(radio.takeMemoryChanged());
    EXPECT_EQ(radio.memory(), programmedFrames());
    EXPECT_EQ(radio.receive("5"), joined(programmedFrames()));
}

INSTANTIATE_TEST_SUITE_P(Pieces, RadioWrite, testing::Values(321, 20, 1));

TEST(RadioEngine, WriteTakesEveryCharacterAsFrameDataAndStoresItRaw) {
    // A counting radio has no way to tell a command from data inside a write.
    RadioEngine radio;
    QByteArray frames = QByteArray(300, '0') + "C5A-xxxxxxxxxxxxxxxx";
    EXPECT_EQ(radio.receive("A" + frames + "C"), "C");
    EXPECT_TRUE(radio.takeMemoryChanged());
    EXPECT_EQ(radio.readAnswer(), frames);
}

TEST(RadioEngine, WriteBrokenOffKeepsTheOldMemory) {
    RadioEngine radio(programmedFrames());
    const QByteArray partial = "A" + RadioEngine().readAnswer().first(200);
    EXPECT_EQ(radio.receive(partial + "5"), "");  // the "5" is the 201st frame character
    EXPECT_TRUE(radio.writeInProgress());

    const auto broken = radio.breakOffWrite();
    ASSERT_TRUE(broken.has_value());
    EXPECT_EQ(broken->charactersReceived, 201);
    EXPECT_FALSE(radio.takeMemoryChanged());
    EXPECT_EQ(radio.receive("5"), joined(programmedFrames()));
    EXPECT_FALSE(radio.breakOffWrite().has_value());
}

TEST(RadioEngine, WriteCompletedByTheLastCharacterBeforeHangUpIsStored) {
    RadioEngine radio;
    radio.setFaults(hangUpAfter(321));
    EXPECT_EQ(radio.receive("A" + joined(programmedFrames()) + "5"), "");
    EXPECT_TRUE(radio.hungUp());
    EXPECT_EQ(radio.memory(), programmedFrames());
}

TEST(RadioEngine, SwitchedOffRadioTakesNoWrite) {
    RadioEngine radio;
    radio.setFaults(switchedOff());
    radio.receive("A" + joined(programmedFrames()));
    EXPECT_FALSE(radio.takeMemoryChanged());
    radio.setFaults({});
    EXPECT_EQ(radio.receive("5"), unprogrammed());
}

// A radio with a bad memory cell: only the named channel comes back changed,
// by one digit, whether it was programmed or not.
class CorruptChannel : public testing::TestWithParam<int> {};

TEST_P(CorruptChannel, OnlyThatChannelReadsBackAltered) {
    RadioEngine radio;
    RadioEngine::Faults faults;
    faults.corruptChannel = GetParam();
    radio.setFaults(faults);
    radio.receive("A" + joined(programmedFrames()));
    const QByteArray answer = radio.receive("5");
    ASSERT_EQ(answer.size(), RadioEngine::kMemoryLength);
    for (int k = 0; k < RadioEngine::kFrameCount; ++k) {
        const QByteArray sent = programmedFrames().at(static_cast<std::size_t>(k));
        const QByteArray got = answer.mid(k * RadioEngine::kFrameLength, RadioEngine::kFrameLength);
        int changed = 0;
        for (int at = 0; at < RadioEngine::kFrameLength; ++at) {
            changed += sent.at(at) != got.at(at) ? 1 : 0;
        }
        EXPECT_EQ(changed, k + 1 == GetParam() ? 1 : 0) << "channel " << k + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Channels, CorruptChannel, testing::Values(1, 7, 16));

}  // namespace
}  // namespace qm3270

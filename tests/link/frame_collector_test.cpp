#include "link/frame_collector.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace qm3270 {
namespace {

QString sixteenFrames() {
    QString all;
    for (int k = 0; k < 16; ++k) {
        all += QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0')) +
               QStringLiteral("010000861200000015");
    }
    return all;
}

struct CollectCase {
    const char* name;
    QString input;
    FrameCollector::State state;
    int frames;
};

class Collect : public ::testing::TestWithParam<CollectCase> {};

TEST_P(Collect, AcceptsOnlySixteenDigitFrames) {
    FrameCollector collector;
    EXPECT_EQ(collector.feed(GetParam().input), GetParam().state);
    EXPECT_EQ(collector.framesComplete(), GetParam().frames);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Collect,
    ::testing::Values(
        CollectCase{"Whole", sixteenFrames(), FrameCollector::State::Complete, 16},
        CollectCase{"LatePollAnswers", QStringLiteral("CC") + sixteenFrames(),
                    FrameCollector::State::Complete, 16},
        CollectCase{"PollAnswerInside", sixteenFrames().insert(45, u'C'),
                    FrameCollector::State::Bad, 2},
        CollectCase{"Letter", sixteenFrames().replace(300, 1, QStringLiteral("A")),
                    FrameCollector::State::Bad, 15},
        CollectCase{"Blank", QStringLiteral(" ") + sixteenFrames(), FrameCollector::State::Bad, 0},
        CollectCase{"Short", sixteenFrames().left(319), FrameCollector::State::Collecting, 15},
        CollectCase{"EchoedReadCommand", QStringLiteral("C5C") + sixteenFrames(),
                    FrameCollector::State::Complete, 16},
        CollectCase{"TwoFivesAhead", QStringLiteral("55") + sixteenFrames(),
                    FrameCollector::State::Bad, 16},
        CollectCase{"DigitAhead", QStringLiteral("0") + sixteenFrames(), FrameCollector::State::Bad,
                    16},
        CollectCase{"ExtraAfterTheLast", sixteenFrames() + QStringLiteral("C"),
                    FrameCollector::State::Bad, 16}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(FrameCollector, HandsOutTheFramesInOrder) {
    FrameCollector collector;
    for (QChar c : sixteenFrames()) {
        collector.feed(c);
    }
    ASSERT_EQ(collector.state(), FrameCollector::State::Complete);
    const QStringList frames = collector.frames();
    ASSERT_EQ(frames.size(), 16);
    EXPECT_EQ(frames.front(), u"00010000861200000015");
    EXPECT_EQ(frames.back(), u"15010000861200000015");
}

// Each read gets its own echo of the read command: the second read in a row on
// an echoing cable is taken as the first was.
TEST(FrameCollector, StartsAfreshAfterReset) {
    FrameCollector collector;
    collector.feed(u"512X");
    ASSERT_EQ(collector.state(), FrameCollector::State::Bad);
    collector.reset();
    ASSERT_EQ(collector.feed(QStringLiteral("C5") + sixteenFrames()),
              FrameCollector::State::Complete);
    collector.reset();
    EXPECT_EQ(collector.feed(QStringLiteral("5") + sixteenFrames()),
              FrameCollector::State::Complete);
}

}  // namespace
}  // namespace qm3270

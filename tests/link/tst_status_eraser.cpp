#include "link/status_eraser.h"
#include "timer_firing.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using qm3270::LinkTiming;
using qm3270::StatusEraser;
using qm3270::test::fireTimer;

class StatusEraserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void erasesOnTheEleventhTick_data() {
        QTest::addColumn<int>("restartAfterTicks");  // -1: switched on once
        QTest::addColumn<int>("erasingTick");

        QTest::newRow("switched on once") << -1 << 11;
        QTest::newRow("switched on again after 6 ticks keeps counting") << 6 << 11;
    }

    void erasesOnTheEleventhTick() {
        QFETCH(int, restartAfterTicks);
        QFETCH(int, erasingTick);

        LinkTiming timing;
        timing.eraserTick = 1h;
        StatusEraser eraser(timing);
        QSignalSpy erase(&eraser, &StatusEraser::erase);
        eraser.start();
        int tick = 0;
        while (erase.isEmpty() && tick < 30) {
            if (tick == restartAfterTicks) {
                eraser.start();
            }
            QVERIFY(fireTimer(&eraser, "Timer2"));
            ++tick;
        }
        QCOMPARE(tick, erasingTick);
        QVERIFY(!eraser.isRunning());

        // The count starts afresh for the next transfer.
        eraser.start();
        for (int i = 1; i <= 10; ++i) {
            fireTimer(&eraser, "Timer2");
        }
        QCOMPARE(erase.count(), 1);
        fireTimer(&eraser, "Timer2");
        QCOMPARE(erase.count(), 2);
    }
};

QTEST_GUILESS_MAIN(StatusEraserTest)
#include "tst_status_eraser.moc"

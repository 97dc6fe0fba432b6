#include "fake_port.h"
#include "link/ready_watch.h"
#include "timer_firing.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using qm3270::LinkTiming;
using qm3270::ReadyWatch;
using qm3270::test::FakePort;
using qm3270::test::fireTimer;

namespace {
LinkTiming manualTiming() {
    LinkTiming timing;
    timing.readyTick = 1h;
    return timing;
}
}  // namespace

class ReadyWatchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void polls_data() {
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QByteArray>("waiting");  // in the buffer when the watch starts
        QTest::addColumn<bool>("radioAnswers");   // the radio answers each "C" with "C"
        QTest::addColumn<QByteArray>("expectedSent");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("leftWaiting");

        QTest::newRow("radio absent: a poll every tick")
            << true << QByteArray() << false << QByteArray("CCCCCCCC") << false << 0;
        QTest::newRow("radio answers the first poll")
            << true << QByteArray() << true << QByteArray("C") << true << 0;
        QTest::newRow("noise ahead of the answer, one character a tick")
            << true << QByteArray("x5C9") << false << QByteArray("CC") << true << 1;
        QTest::newRow("lower-case c is no answer")
            << true << QByteArray("cc") << false << QByteArray("CCCCCCCC") << false << 0;
        QTest::newRow("port closed: nothing sent")
            << false << QByteArray() << true << QByteArray() << false << 0;
    }

    void polls() {
        QFETCH(bool, portOpen);
        QFETCH(QByteArray, waiting);
        QFETCH(bool, radioAnswers);
        QFETCH(QByteArray, expectedSent);
        QFETCH(bool, ready);
        QFETCH(int, leftWaiting);

        FakePort port;
        if (portOpen) {
            port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        }
        port.queueSilently(waiting);
        if (radioAnswers) {
            port.onSend = [&port](const QByteArray& text) {
                if (text == "C") {
                    port.queueSilently("C");
                }
            };
        }
        ReadyWatch watch(port, manualTiming());
        QSignalSpy readySpy(&watch, &ReadyWatch::ready);
        watch.start();
        for (int tick = 0; tick < 8; ++tick) {
            fireTimer(&watch, "Timer3");
        }

        QCOMPARE(port.sentText(), expectedSent);
        QCOMPARE(readySpy.count(), ready ? 1 : 0);
        QCOMPARE(watch.isRunning(), !ready);  // a closed port keeps the watch waiting
        QCOMPARE(port.waitingCount(), leftWaiting);
    }
};

QTEST_GUILESS_MAIN(ReadyWatchTest)
#include "tst_ready_watch.moc"

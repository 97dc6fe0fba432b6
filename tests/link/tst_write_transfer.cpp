#include "fake_port.h"
#include "link/write_transfer.h"
#include "timer_firing.h"
#include "try_wait.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using qm3270::LinkTiming;
using qm3270::UserMessage;
using qm3270::WriteTransfer;
using qm3270::test::FakePort;
using qm3270::test::fireTimer;

namespace {

QStringList sampleFrames(char tag = '0') {
    QStringList frames;
    for (int k = 1; k <= 16; ++k) {
        frames << QStringLiteral("%1%2")
                      .arg(k, 2, 10, QLatin1Char('0'))
                      .arg(QString(18, QLatin1Char(tag)));
    }
    return frames;
}

QList<QByteArray> sentTexts(const FakePort& port) {
    QList<QByteArray> texts;
    for (const auto& s : port.sent()) {
        texts << s.text;
    }
    return texts;
}

QList<QByteArray> expectedWrite(const QStringList& frames) {
    QList<QByteArray> texts{"A"};
    for (const QString& f : frames) {
        texts << f.toLatin1();
    }
    return texts;
}

// Ticks never come by themselves: the test fires Timer1 and the drain poll.
LinkTiming manualTiming() {
    LinkTiming timing;
    timing.writeTick = 1h;
    timing.drainPoll = 5ms;
    timing.drainLimit = 300ms;
    return timing;
}

}  // namespace

class WriteTransferTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendsCommandThenOneFramePerTick() {
        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        port.queueSilently("xyz");
        WriteTransfer write(port, manualTiming());
        QSignalSpy progress(&write, &WriteTransfer::progress);
        QSignalSpy finished(&write, &WriteTransfer::finished);
        const QStringList frames = sampleFrames();

        write.start(frames);
        QCOMPARE(sentTexts(port), QList<QByteArray>{"A"});  // "A" at the click, no frame yet
        for (int tick = 1; tick <= 16; ++tick) {
            QVERIFY(fireTimer(&write, "Timer1"));
            QCOMPARE(port.sent().size(), tick + 1);
        }
        QCOMPARE(finished.count(), 0);
        QVERIFY(fireTimer(&write, "Timer1"));  // the 17th tick sends nothing and ends
        QCOMPARE(sentTexts(port), expectedWrite(frames));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!write.isRunning());
        QVERIFY(!fireTimer(&write, "Timer1"));

        QList<int> values;
        for (const auto& args : progress) {
            values << args.at(0).toInt();
        }
        QCOMPARE(values,
                 (QList<int>{0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90}));
        QCOMPARE(port.waitingCount(), 0);  // one character dropped ahead of each frame
    }

    void secondStartWhileRunningIsIgnored() {
        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        WriteTransfer write(port, manualTiming());
        const QStringList frames = sampleFrames('1');
        write.start(frames);
        QVERIFY(fireTimer(&write, "Timer1"));
        QVERIFY(fireTimer(&write, "Timer1"));
        write.start(sampleFrames('2'));
        while (fireTimer(&write, "Timer1")) {
        }
        QCOMPARE(sentTexts(port), expectedWrite(frames));
    }

    void outcome_data() {
        QTest::addColumn<bool>("drainedAtEnd");
        QTest::addColumn<int>("drainAfterMs");      // -1: the line never empties
        QTest::addColumn<int>("failAfterFrames");   // -1: the cable stays in
        QTest::addColumn<int>("closeAfterFrames");  // -1: nobody closes the port
        QTest::addColumn<bool>("finishes");
        QTest::addColumn<int>("framesSent");

        QTest::newRow("line idle at the 17th tick") << true << -1 << -1 << -1 << true << 16;
        QTest::newRow("line still busy, drains later") << false << 60 << -1 << -1 << true << 16;
        QTest::newRow("line never drains") << false << -1 << -1 << -1 << false << 16;
        QTest::newRow("cable pulled after 5 frames") << true << -1 << 5 << -1 << false << 5;
        QTest::newRow("cable pulled before the first frame") << true << -1 << 0 << -1 << false << 0;
        QTest::newRow("port closed after 9 frames") << true << -1 << -1 << 9 << false << 9;
    }

    void outcome() {
        QFETCH(bool, drainedAtEnd);
        QFETCH(int, drainAfterMs);
        QFETCH(int, failAfterFrames);
        QFETCH(int, closeAfterFrames);
        QFETCH(bool, finishes);
        QFETCH(int, framesSent);

        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        port.setDrained(drainedAtEnd);
        WriteTransfer write(port, manualTiming());
        QSignalSpy finished(&write, &WriteTransfer::finished);
        QSignalSpy failed(&write, &WriteTransfer::failed);

        write.start(sampleFrames());
        for (int tick = 1; tick <= 17; ++tick) {
            if (tick - 1 == failAfterFrames) {
                port.failLine();
            }
            if (tick - 1 == closeAfterFrames) {
                port.close();
            }
            if (!fireTimer(&write, "Timer1")) {
                break;
            }
        }
        if (drainAfterMs >= 0) {
            QTest::qWait(drainAfterMs);
            QCOMPARE(finished.count(), 0);  // no "done" while characters are on their way
            port.setDrained(true);
        }
        TRY_VERIFY_WITH_TIMEOUT(!write.isRunning(), 2000);
        QTest::qWait(30);
        port.failLine();  // a later loss of the line is not this write's business

        QCOMPARE(finished.count(), finishes ? 1 : 0);
        QCOMPARE(failed.count(), finishes ? 0 : 1);
        if (!finishes) {
            QCOMPARE(failed.at(0).at(0).value<UserMessage>(),
                     (UserMessage{QStringLiteral("串行端口出错，数据传送中断！"),
                                  QStringLiteral("错误警告 "), UserMessage::Icon::Information}));
        }
        QCOMPARE(port.sent().size(), framesSent + 1);
    }

    void framesFollowTheClockAtTheRealPeriod() {
        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        WriteTransfer write(port, LinkTiming{});
        QSignalSpy finished(&write, &WriteTransfer::finished);
        write.start(sampleFrames());
        const qint64 startedMs = port.elapsedMs();
        TRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        const qint64 endedMs = port.elapsedMs();

        QCOMPARE(port.sent().size(), 17);
        for (int k = 1; k <= 16; ++k) {
            const qint64 at = port.sent().at(k).atMs - port.sent().at(0).atMs;
            QVERIFY2(at >= k * 100 - 10,
                     qPrintable(QStringLiteral("frame %1 at %2 ms").arg(k).arg(at)));
        }
        QVERIFY(endedMs - startedMs >= 1700 - 10);
    }
};

QTEST_GUILESS_MAIN(WriteTransferTest)
#include "tst_write_transfer.moc"

#include "fake_port.h"
#include "link/read_transfer.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;
using qm3270::LinkTiming;
using qm3270::ReadTransfer;
using qm3270::UserMessage;
using qm3270::test::FakePort;

namespace {

QStringList radioFrames() {
    QStringList frames{QStringLiteral("03010000861200000015")};
    for (int k = 2; k <= 16; ++k) {
        frames << QStringLiteral("%1").arg(k - 1, 2, 10, QLatin1Char('0')) +
                      QStringLiteral("005012421250125614");
    }
    return frames;
}

QByteArray radioAnswer() {
    return radioFrames().join(QString()).toLatin1();
}

LinkTiming fastTiming() {
    LinkTiming timing;
    timing.readArm = 5ms;
    timing.readChannelTimeout = 200ms;
    return timing;
}

// Plays the radio: after "5", `answer` arrives in pieces of `piece` characters,
// one piece every `gapMs`.
void answerReadCommand(FakePort& port, const QByteArray& answer, int piece, int gapMs) {
    port.onSend = [&port, answer, piece, gapMs](const QByteArray& text) {
        if (text != "5") {
            return;
        }
        for (qsizetype at = 0, n = 1; at < answer.size(); at += piece, ++n) {
            const QByteArray chunk = answer.mid(at, piece);
            QTimer::singleShot(static_cast<int>(n) * gapMs, &port,
                               [&port, chunk] { port.deliver(chunk); });
        }
    };
}

}  // namespace

class ReadTransferTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outcome_data() {
        QTest::addColumn<QByteArray>("waitingBefore");  // in the buffer when "5" goes out
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QString>("detail");  // of "读数错误！！"

        const QByteArray good = radioAnswer();
        QByteArray letterInside = good;
        letterInside[45] = 'A';
        const QString noAnswer = QStringLiteral(
            "端口 /dev/ttyS0 上没有对讲机应答。请检查对讲机已开机、电缆已插好，"
            "或在“系统设置”→“选择端口”中选择其它端口。");
        QByteArray highByteInside = good;
        highByteInside[300] = '\xb2';  // Latin-1 superscript two: not a digit on the line

        QTest::newRow("all at once") << QByteArray() << good << 320 << 1 << true << QString();
        QTest::newRow("one frame every 20 ms")
            << QByteArray() << good << 20 << 20 << true << QString();
        QTest::newRow("slow line, each channel in time")
            << QByteArray() << good << 10 << 50 << true
            << QString();  // whole answer 1.6 s, a channel 100 ms
        QTest::newRow("late poll answer before the digits")
            << QByteArray() << "C" + good << 320 << 1 << true << QString();
        QTest::newRow("stray characters already waiting")
            << QByteArray("C7x") << good << 320 << 1 << true << QString();
        QTest::newRow("letter inside a frame")
            << QByteArray() << letterInside << 320 << 1 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 46 个字符，第 46 个（“A”）不是数字。");
        QTest::newRow("non-ASCII byte")
            << QByteArray() << highByteInside << 40 << 2 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 301 个字符，第 301 个（0xb2）不是数字。");
        QTest::newRow("C after the first digit")
            << QByteArray() << "0C" + good << 320 << 1 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 2 个字符，第 2 个（“C”）不是数字。");
        // A cable that hears its own transmissions gives the "5" back first.
        QTest::newRow("echo of the read command")
            << QByteArray() << "5" + good << 320 << 1 << true << QString();
        QTest::newRow("echo amid late poll answers")
            << QByteArray() << "C5C" + good << 20 << 5 << true << QString();
        QTest::newRow("two fives ahead")
            << QByteArray() << "55" + good << 320 << 1 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 322 个字符，多于应答的 320 个数字。");
        QTest::newRow("a digit ahead")
            << QByteArray() << "0" + good << 321 << 1 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 321 个字符，多于应答的 320 个数字。");
        QTest::newRow("a digit ahead, the line slow")
            << QByteArray() << "0" + good << 1 << 1 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 321 个字符，多于应答的 320 个数字。");
        QTest::newRow("321st digit within the quiet time")
            << QByteArray() << good + "7" << 320 << 10 << false
            << QStringLiteral("端口 /dev/ttyS0 上收到 321 个字符，多于应答的 320 个数字。");
        QTest::newRow("a digit after the quiet time")
            << QByteArray() << good + "7" << 320 << 60 << true << QString();
        QTest::newRow("radio silent")
            << QByteArray() << QByteArray() << 1 << 1 << false << noAnswer;
        QTest::newRow("radio stops after 3 channels")
            << QByteArray() << good.left(60) << 20 << 5 << false
            << QStringLiteral(
                   "端口 /dev/ttyS0 上收到 60 个字符，其中 60 个数字；应答应有 320 个数字。");
        QTest::newRow("one channel too slow")
            << QByteArray() << good << 20 << 250 << false << noAnswer;
    }

    void outcome() {
        QFETCH(QByteArray, waitingBefore);
        QFETCH(QByteArray, answer);
        QFETCH(int, piece);
        QFETCH(int, gapMs);
        QFETCH(bool, succeeds);
        QFETCH(QString, detail);

        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        port.queueSilently(waitingBefore);
        answerReadCommand(port, answer, piece, gapMs);
        ReadTransfer read(port, fastTiming());
        QSignalSpy begun(&read, &ReadTransfer::begun);
        QSignalSpy progress(&read, &ReadTransfer::progress);
        QSignalSpy succeeded(&read, &ReadTransfer::succeeded);
        QSignalSpy failed(&read, &ReadTransfer::failed);

        read.start();
        QVERIFY(port.sent().isEmpty());  // armed only: the command goes out on Timer4's tick
        QTRY_VERIFY_WITH_TIMEOUT(!read.isRunning(), 4000);
        QTest::qWait(20);

        QCOMPARE(port.sentText(), QByteArray("5"));
        QCOMPARE(begun.count(), 1);
        QCOMPARE(succeeded.count(), succeeds ? 1 : 0);
        QCOMPARE(failed.count(), succeeds ? 0 : 1);
        if (succeeds) {
            QCOMPARE(succeeded.at(0).at(0).toStringList(), radioFrames());
            QList<int> values;
            for (const auto& args : progress) {
                values << args.at(0).toInt();
            }
            QCOMPARE(values,
                     (QList<int>{0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90}));
        } else {
            QCOMPARE(failed.at(0).at(0).value<UserMessage>(),
                     (UserMessage{QStringLiteral("读数错误！！"), QStringLiteral("错误警告 "),
                                  UserMessage::Icon::Information, detail}));
        }
    }

    // Each channel has the limit from the one before it (or from "5") to the
    // millisecond: a channel just inside is taken, one just outside is not,
    // and a silent radio is never given up on early.
    void channelLimit_data() {
        QTest::addColumn<int>("lateChannel");  // the channels before it come at once
        QTest::addColumn<int>("lateByMs");     // after them (or "5"); -1: never
        QTest::addColumn<bool>("succeeds");

        QTest::newRow("channel 1 at 1.96 s") << 1 << 1960 << true;
        QTest::newRow("channel 9 at 2.04 s") << 9 << 2040 << false;
        QTest::newRow("radio silent") << 1 << -1 << false;
    }

    void channelLimit() {
        QFETCH(int, lateChannel);
        QFETCH(int, lateByMs);
        QFETCH(bool, succeeds);

        const QByteArray answer = radioAnswer();
        const qsizetype early = (lateChannel - 1) * 20;
        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        qint64 previousAtMs = -1;  // the earlier channels, or "5"
        port.onSend = [&](const QByteArray&) {
            previousAtMs = port.elapsedMs();
            QTimer::singleShot(0, &port, [&] {
                if (early > 0) {
                    previousAtMs = port.elapsedMs();
                    port.deliver(answer.left(early));
                }
                if (lateByMs >= 0) {
                    QTimer::singleShot(lateByMs, Qt::PreciseTimer, &port,
                                       [&] { port.deliver(answer.mid(early)); });
                }
            });
        };
        LinkTiming timing = fastTiming();
        timing.readChannelTimeout = LinkTiming{}.readChannelTimeout;
        const auto limitMs = timing.readChannelTimeout.count();
        ReadTransfer read(port, timing);
        QSignalSpy succeeded(&read, &ReadTransfer::succeeded);
        qint64 failedAtMs = -1;
        connect(&read, &ReadTransfer::failed, &port, [&] { failedAtMs = port.elapsedMs(); });
        read.start();
        QTRY_VERIFY_WITH_TIMEOUT(!read.isRunning(), 5000);
        QCOMPARE(succeeded.count(), succeeds ? 1 : 0);
        if (!succeeds) {
            QVERIFY2(
                failedAtMs - previousAtMs >= limitMs,
                qPrintable(QStringLiteral("gave up after %1 ms").arg(failedAtMs - previousAtMs)));
        }
    }

    void portFailureMidReadFailsOnce() {
        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        answerReadCommand(port, radioAnswer().left(100), 20, 5);
        ReadTransfer read(port, fastTiming());
        QSignalSpy progress(&read, &ReadTransfer::progress);
        QSignalSpy failed(&read, &ReadTransfer::failed);
        read.start();
        QTRY_COMPARE(progress.count(), 5);
        port.failLine();
        QCOMPARE(failed.count(), 1);
        QVERIFY(!read.isRunning());
        QTest::qWait(250);  // past the channel deadline: no second report
        QCOMPARE(failed.count(), 1);
    }

    void closedPortFailsWithoutSending() {
        FakePort port;
        ReadTransfer read(port, fastTiming());
        QSignalSpy failed(&read, &ReadTransfer::failed);
        read.start();
        QCOMPARE(failed.count(), 0);  // not from inside start()
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(port.sent().isEmpty());
    }

    void secondStartWhileRunningIsIgnored() {
        FakePort port;
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        answerReadCommand(port, radioAnswer(), 20, 10);
        ReadTransfer read(port, fastTiming());
        QSignalSpy succeeded(&read, &ReadTransfer::succeeded);
        read.start();
        read.start();
        QTRY_VERIFY(!port.sent().isEmpty());
        read.start();
        QTRY_COMPARE(succeeded.count(), 1);
        QTest::qWait(30);
        QCOMPARE(port.sentText(), QByteArray("5"));
    }
};

QTEST_GUILESS_MAIN(ReadTransferTest)
#include "tst_read_transfer.moc"

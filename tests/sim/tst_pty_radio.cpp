#include "link/serial_port.h"
#include "sim/pty_radio.h"
#include "try_wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(qm3270::RadioEngine::Faults)

using namespace qm3270;
using namespace std::chrono_literals;

namespace {

// The program's end of the line, opened the way the program opens it.
struct ProgramPort {
    SerialPort port;
    QString device;
    PortOpenFailure failure;
    QByteArray received;
    QStringList errors;

    explicit ProgramPort(const QString& path) : device(path) {
        QObject::connect(&port, &Port::received, [this] {
            for (QString c = port.readOne(); !c.isEmpty(); c = port.readOne()) {
                received += c.toLatin1();
            }
        });
        QObject::connect(&port, &Port::failed, [this](const QString& why) { errors << why; });
    }
    bool open() { return port.open(device, &failure); }
    void send(const QByteArray& text) { port.send(text); }
};

}  // namespace

class TstPtyRadio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersPoll_data();
    void answersPoll();
    void readAnswerIsPacedAtLineSpeed();
    void answersAgainAfterThePortIsReopened();
    void hangUpIsSeenByTheProgram();
    void brokenOffWriteIsGivenUp();
    void completeWriteIsSavedToTheMemoryFile();
};

void TstPtyRadio::answersPoll_data() {
    QTest::addColumn<RadioEngine::Faults>("faults");
    QTest::addColumn<int>("replyDelayMs");
    QTest::addColumn<QByteArray>("expected");

    RadioEngine::Faults none;
    RadioEngine::Faults noisy;
    noisy.noise = "x?";
    RadioEngine::Faults off;
    off.off = true;
    QTest::newRow("ready") << none << 0 << QByteArray("C");
    QTest::newRow("noise first") << noisy << 0 << QByteArray("x?C");
    QTest::newRow("late") << none << 400 << QByteArray("C");
    QTest::newRow("switched off") << off << 0 << QByteArray();
}

void TstPtyRadio::answersPoll() {
    QFETCH(RadioEngine::Faults, faults);
    QFETCH(int, replyDelayMs);
    QFETCH(QByteArray, expected);

    PtyRadio radio;
    radio.engine().setFaults(faults);
    radio.setReplyDelay(std::chrono::milliseconds(replyDelayMs));
    QString error;
    QVERIFY2(radio.open(&error), qPrintable(error));
    ProgramPort program(radio.devicePath());
    QVERIFY2(program.open(), qPrintable(program.failure.reason));

    QElapsedTimer clock;
    clock.start();
    program.send("C");
    if (expected.isEmpty()) {
        QTest::qWait(300);
        QCOMPARE(program.received, QByteArray());
        return;
    }
    TRY_COMPARE(program.received, expected);
    QVERIFY2(clock.elapsed() >= replyDelayMs, qPrintable(QString::number(clock.elapsed())));
}

void TstPtyRadio::readAnswerIsPacedAtLineSpeed() {
    PtyRadio radio;
    QString error;
    QVERIFY2(radio.open(&error), qPrintable(error));
    ProgramPort program(radio.devicePath());
    QVERIFY(program.open());

    QElapsedTimer clock;
    clock.start();
    program.send("5");
    QTest::qWait(1000);
    // About 120 characters a second, never all 320 at once as a bare pty would.
    QVERIFY2(program.received.size() >= 60 && program.received.size() <= 125,
             qPrintable(QString::number(program.received.size())));
    TRY_COMPARE_WITH_TIMEOUT(program.received.size(), 320, 4000);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 2640 && elapsed < 3500, qPrintable(QString::number(elapsed)));
    QCOMPARE(program.received, radio.engine().readAnswer());
}

void TstPtyRadio::answersAgainAfterThePortIsReopened() {
    PtyRadio radio;
    QString error;
    QVERIFY2(radio.open(&error), qPrintable(error));
    for (int round = 0; round < 3; ++round) {
        ProgramPort program(radio.devicePath());
        QVERIFY2(program.open(), qPrintable(program.failure.reason));
        // At most the one answer that came after the last close is waiting.
        QTest::qWait(100);
        QVERIFY2(program.received.size() <= 1, program.received.constData());
        program.received.clear();
        program.send("C");
        TRY_COMPARE(program.received, QByteArray("C"));
        QVERIFY(program.errors.isEmpty());
        // Gone before the radio's answer to this poll is on the line.
        program.send("C");
        TRY_VERIFY(program.port.outputDrained());
        program.port.close();
        QTest::qWait(100);
    }
}

void TstPtyRadio::hangUpIsSeenByTheProgram() {
    PtyRadio radio;
    RadioEngine::Faults faults;
    faults.hangUpAfter = 3;  // "C" in, "C" out, then the next character ends the line
    radio.engine().setFaults(faults);
    QSignalSpy hungUp(&radio, &PtyRadio::hungUp);
    QString error;
    QVERIFY2(radio.open(&error), qPrintable(error));
    ProgramPort program(radio.devicePath());
    QVERIFY(program.open());

    program.send("C");
    TRY_COMPARE(program.received, QByteArray("C"));
    QCOMPARE(hungUp.count(), 0);
    program.send("C");
    TRY_COMPARE(hungUp.count(), 1);
    TRY_VERIFY(!program.errors.isEmpty());
    QVERIFY(!program.port.isOpen());
    QVERIFY(!radio.isOpen());
    QCOMPARE(program.received, QByteArray("C"));
}

void TstPtyRadio::brokenOffWriteIsGivenUp() {
    PtyRadio radio;
    QSignalSpy brokenOff(&radio, &PtyRadio::writeBrokenOff);
    QString error;
    QVERIFY2(radio.open(&error), qPrintable(error));
    ProgramPort program(radio.devicePath());
    QVERIFY(program.open());

    const QByteArray before = radio.engine().readAnswer();
    program.send("A" + QByteArray(100, '9'));
    TRY_COMPARE_WITH_TIMEOUT(brokenOff.count(), 1, 3000);
    QCOMPARE(brokenOff.at(0).at(0).toInt(), 100);
    // Back to listening: the next poll is a poll, not frame data.
    program.send("C");
    TRY_COMPARE(program.received, QByteArray("C"));
    QCOMPARE(radio.engine().readAnswer(), before);
}

void TstPtyRadio::completeWriteIsSavedToTheMemoryFile() {
    QTemporaryDir dir;
    const QString memoryFile = dir.filePath(QStringLiteral("radio.doc"));
    PtyRadio radio;
    radio.setMemoryFile(memoryFile);
    QSignalSpy written(&radio, &PtyRadio::memoryWritten);
    QString error;
    QVERIFY2(radio.open(&error), qPrintable(error));
    ProgramPort program(radio.devicePath());
    QVERIFY(program.open());

    // Channel 1 at 150 MHz with beat on, squelch 5; the rest unprogrammed.
    QByteArray frames = "05010000861200000015" + radio.engine().readAnswer().sliced(20);
    program.send("A" + frames.first(150));
    QTest::qWait(100);
    program.send(frames.sliced(150));
    TRY_COMPARE(written.count(), 1);

    QFile saved(memoryFile);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), "5,150.00000,150.00000,on," + QByteArray(45, ','));
    QCOMPARE(radio.engine().readAnswer(), frames);
}

QTEST_GUILESS_MAIN(TstPtyRadio)
#include "tst_pty_radio.moc"

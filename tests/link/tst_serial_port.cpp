#include "link/serial_line.h"
#include "link/serial_port.h"
#include "link/write_transfer.h"
#include "try_wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

using qm3270::SerialPort;
using Kind = qm3270::PortOpenFailure::Kind;

namespace {

const QString kPty = QStringLiteral("pty");
const QString kLink = QStringLiteral("link");
const QString kPort = QStringLiteral("port");
const QString kFlock = QStringLiteral("flock");

// The far end of a pseudo-terminal: what the radio would be on a real line.
class PtyMaster {
public:
    PtyMaster() {
        fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd_ >= 0 && ::grantpt(fd_) == 0 && ::unlockpt(fd_) == 0) {
            slave_ = QString::fromLocal8Bit(::ptsname(fd_));
            ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyMaster() { hangUp(); }
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    QString slave() const { return slave_; }
    void write(const QByteArray& text) const {
        QCOMPARE(::write(fd_, text.constData(), static_cast<size_t>(text.size())), text.size());
    }
    QByteArray readAvailable() const {
        QByteArray all;
        char buffer[256];
        ssize_t n = 0;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            all.append(buffer, n);
        }
        return all;
    }
    void hangUp() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_ = -1;
    QString slave_;
};

}  // namespace

class SerialPortTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void talksOverAPty() {
        PtyMaster radio;
        QVERIFY(!radio.slave().isEmpty());
        SerialPort port;
        QSignalSpy received(&port, &SerialPort::received);
        qm3270::PortOpenFailure failure;
        QVERIFY2(port.open(radio.slave(), &failure), qPrintable(failure.reason));
        QCOMPARE(port.device(), radio.slave());

        port.send("A0123");
        TRY_VERIFY(port.outputDrained());
        QByteArray got;
        TRY_VERIFY((got += radio.readAvailable()) == "A0123");

        QCOMPARE(port.readOne(), QString());  // nothing waiting: empty at once
        radio.write("xC7");
        TRY_VERIFY(received.count() > 0);
        QCOMPARE(port.waitingCount(), 3);
        QCOMPARE(port.readOne(), QStringLiteral("x"));
        QCOMPARE(port.readOne(), QStringLiteral("C"));
        QCOMPARE(port.waitingCount(), 1);
        port.discardInput();
        QCOMPARE(port.waitingCount(), 0);
        QCOMPARE(port.readOne(), QString());
    }

    // What the programs open: the radio's answer reaches whoever reads the
    // line, with a trace and without one.
    void lineHearsTheRadio_data() {
        QTest::addColumn<bool>("traced");
        QTest::newRow("untraced") << false;
        QTest::newRow("traced") << true;
    }
    void lineHearsTheRadio() {
        QFETCH(bool, traced);
        PtyMaster radio;
        QTemporaryDir dir;
        const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
        qm3270::SerialLine line;
        QString error;
        QVERIFY2(!traced || line.traceTo(tracePath, &error), qPrintable(error));
        QCOMPARE(line.trace() != nullptr, traced);
        QVERIFY(line.port().open(radio.slave(), nullptr));

        line.port().send("C");
        QByteArray got;
        TRY_VERIFY((got += radio.readAvailable()) == "C");
        // As the ready watch does: read when the line says something came.
        QSignalSpy heard(&line.port(), &qm3270::Port::received);
        radio.write("C");
        TRY_VERIFY(heard.count() > 0);
        QCOMPARE(line.port().readOne(), QStringLiteral("C"));
        QFile trace(tracePath);
        QCOMPARE(trace.open(QIODevice::ReadOnly) ? trace.readAll().count('C') : 0, traced ? 2 : 0);
    }

    // A pseudo-terminal's driver queue is empty as soon as the characters are
    // handed over, like that of a USB cable whose chip takes them all (640 on
    // some): a write still ends only once its 321 characters have had their
    // line time, 2675 ms after the "A".
    void writeEndsWhenItsLastCharacterHasLeft() {
        PtyMaster radio;
        SerialPort port;
        QVERIFY(port.open(radio.slave(), nullptr));
        qm3270::WriteTransfer write(port, qm3270::LinkTiming{});
        QSignalSpy finished(&write, &qm3270::WriteTransfer::finished);
        write.start(QStringList(16, QStringLiteral("01234567890123456789")));
        QElapsedTimer sinceTheA;
        sinceTheA.start();
        QVERIFY(finished.wait(5000));
        const qint64 endedMs = sinceTheA.elapsed();
        QVERIFY2(endedMs >= 2675 && endedMs < 2675 + 500, qPrintable(QString::number(endedMs)));
        QCOMPARE(radio.readAvailable().size(), 321);
    }

    // The other end of the line closes: the program hears of it once, with the
    // port closed, within half a second, whatever Qt itself reports.
    void hangUpIsReportedOnceWithThePortClosed() {
        PtyMaster radio;
        SerialPort port;
        QSignalSpy failed(&port, &SerialPort::failed);
        QVERIFY(port.open(radio.slave(), nullptr));
        radio.hangUp();
        TRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 500);
        QTest::qWait(150);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(),
                 QStringLiteral("the device was closed or unplugged"));
        port.send("C");  // a send on the lost line is quietly dropped
        QCOMPARE(port.readOne(), QString());
    }

    // One device, one user: whatever name it is opened under, and whoever holds
    // it (root ignores the terminal's exclusive mode, so only locks count).
    void openFailures_data() {
        QTest::addColumn<QString>("name");    // "pty", "link" (a symlink to it) or a path
        QTest::addColumn<QString>("holder");  // "", "port" (a SerialPort) or "flock"
        QTest::addColumn<Kind>("kind");

        QTest::newRow("no such device")
            << QStringLiteral("/dev/ttyQM3270-none") << QString() << Kind::Missing;
        QTest::newRow("open here, same name") << kPty << kPort << Kind::Busy;
        QTest::newRow("open here, through a link") << kLink << kPort << Kind::Busy;
        QTest::newRow("locked by another program") << kPty << kFlock << Kind::Busy;
        QTest::newRow("locked, through a link") << kLink << kFlock << Kind::Busy;
    }

    void openFailures() {
        QFETCH(QString, name);
        QFETCH(QString, holder);
        QFETCH(Kind, kind);
        PtyMaster radio;
        QTemporaryDir folder;
        const QString link = folder.filePath(QStringLiteral("radio"));
        QVERIFY(QFile::link(radio.slave(), link));
        const QString device = name == kPty ? radio.slave() : name == kLink ? link : name;

        SerialPort holderPort;
        int lockedFd = -1;
        if (holder == kPort) {
            QVERIFY(holderPort.open(radio.slave(), nullptr));
        } else if (holder == kFlock) {
            lockedFd = ::open(qPrintable(radio.slave()), O_RDWR | O_NOCTTY);
            QVERIFY(lockedFd >= 0 && ::flock(lockedFd, LOCK_EX | LOCK_NB) == 0);
        }
        SerialPort port;
        QSignalSpy failed(&port, &SerialPort::failed);
        qm3270::PortOpenFailure failure;
        const bool opened = port.open(device, &failure);
        if (lockedFd >= 0) {
            ::close(lockedFd);
        }
        QVERIFY(!opened);
        QVERIFY(!port.isOpen());
        QCOMPARE(failure.kind, kind);
        QVERIFY(!failure.reason.isEmpty() && failure.reason != QLatin1String("Unknown error"));
        QCOMPARE(failed.count(), 0);  // open() answers for itself
        if (holder == kPort) {
            holderPort.close();  // let go: the other name opens now
            QVERIFY(port.open(device, nullptr));
        }
    }
};

QTEST_GUILESS_MAIN(SerialPortTest)
#include "tst_serial_port.moc"

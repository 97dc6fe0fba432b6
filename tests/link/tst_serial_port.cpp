#include "link/serial_port.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

using qm3270::SerialPort;

namespace {

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
        QString error;
        QVERIFY2(port.open(radio.slave(), &error), qPrintable(error));
        QCOMPARE(port.device(), radio.slave());

        port.send("A0123");
        QTRY_VERIFY(port.outputDrained());
        QByteArray got;
        QTRY_VERIFY((got += radio.readAvailable()) == "A0123");

        QCOMPARE(port.readOne(), QString());  // nothing waiting: empty at once
        radio.write("xC7");
        QTRY_VERIFY(port.waitingCount() == 3);
        QVERIFY(received.count() > 0);
        QCOMPARE(port.readOne(), QStringLiteral("x"));
        QCOMPARE(port.readOne(), QStringLiteral("C"));
        QCOMPARE(port.waitingCount(), 1);
        port.discardInput();
        QCOMPARE(port.waitingCount(), 0);
        QCOMPARE(port.readOne(), QString());
    }

    void hangUpIsReportedOnceWithThePortClosed() {
        PtyMaster radio;
        SerialPort port;
        QSignalSpy failed(&port, &SerialPort::failed);
        QVERIFY(port.open(radio.slave(), nullptr));
        radio.hangUp();
        QTRY_VERIFY(!port.isOpen());
        QTest::qWait(100);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(),
                 QStringLiteral("the device was closed or unplugged"));
        port.send("C");  // a send on the lost line is quietly dropped
        QCOMPARE(port.readOne(), QString());
    }

    void openFailures_data() {
        QTest::addColumn<bool>("sameDeviceOpenElsewhere");
        QTest::newRow("no such device") << false;
        QTest::newRow("device held by another user") << true;
    }

    void openFailures() {
        QFETCH(bool, sameDeviceOpenElsewhere);
        PtyMaster radio;
        SerialPort holder;
        QString device = QStringLiteral("/dev/ttyQM3270-none");
        if (sameDeviceOpenElsewhere) {
            device = radio.slave();
            QVERIFY(holder.open(device, nullptr));
        }
        SerialPort port;
        QSignalSpy failed(&port, &SerialPort::failed);
        QString error;
        QVERIFY(!port.open(device, &error));
        QVERIFY(!port.isOpen());
        QVERIFY(!error.isEmpty());
        QVERIFY(error != QLatin1String("Unknown error"));
        QCOMPARE(failed.count(), 0);  // open() answers for itself
    }
};

QTEST_GUILESS_MAIN(SerialPortTest)
#include "tst_serial_port.moc"

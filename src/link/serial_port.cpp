#include "link/serial_port.h"

#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <climits>

#ifdef Q_OS_LINUX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace qm3270 {

namespace {

// 1200 baud, 8N1: ten bits a character, 120 characters a second.
constexpr qint64 kCharacterTimeMicroseconds = 8334;

QString describe(QSerialPort::SerialPortError error, const QString& text) {
    // Qt leaves "Unknown error" behind in places; a name of the error says more.
    if (!text.isEmpty() && text != QLatin1String("Unknown error")) {
        return text;
    }
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral("no such device");
        case QSerialPort::PermissionError:
            return QStringLiteral("the port is in use or access is denied");
        case QSerialPort::OpenError:
            return QStringLiteral("the port is already open");
        case QSerialPort::ResourceError:
            return QStringLiteral("the device has gone away");
        case QSerialPort::ReadError:
            return QStringLiteral("reading from the port failed");
        case QSerialPort::WriteError:
            return QStringLiteral("writing to the port failed");
        case QSerialPort::TimeoutError:
            return QStringLiteral("the port timed out");
        case QSerialPort::NotOpenError:
            return QStringLiteral("the port is not open");
        default:
            return QStringLiteral("serial port error");
    }
}

}  // namespace

SerialPort::SerialPort(QObject* parent) : Port(parent), serial_(new QSerialPort(this)) {
    clock_.start();
    connect(serial_, &QSerialPort::readyRead, this, [this] {
        if (serial_->bytesAvailable() > 0) {
            Q_EMIT received();
        }
    });
    connect(serial_, &QSerialPort::errorOccurred, this, [this] { handleError(); });
}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open(const QString& device, QString* error) {
    close();
    device_ = device;
    serial_->setPortName(device);  // a full path (a pty, say) is taken as it is
    serial_->setBaudRate(QSerialPort::Baud1200);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    opening_ = true;
    const bool opened = serial_->open(QIODevice::ReadWrite);
    opening_ = false;
    if (!opened) {
        if (error != nullptr) {
            *error = describe(serial_->error(), serial_->errorString());
        }
        serial_->clearError();
        return false;
    }
    lineIdleAtMs_ = 0;
    return true;
}

void SerialPort::close() {
    if (serial_->isOpen()) {
        serial_->close();
    }
}

bool SerialPort::isOpen() const {
    return serial_->isOpen();
}

QString SerialPort::device() const {
    return device_;
}

void SerialPort::send(const QByteArray& text) {
    if (!serial_->isOpen() || text.isEmpty()) {
        return;
    }
    serial_->write(text);
    const qint64 now = clock_.elapsed();
    const qint64 lineTimeMs = (text.size() * kCharacterTimeMicroseconds + 999) / 1000;
    lineIdleAtMs_ = std::max(lineIdleAtMs_, now) + lineTimeMs;
}

QString SerialPort::readOne() {
    char c = 0;
    if (!serial_->isOpen() || !serial_->getChar(&c)) {
        return {};
    }
    return QString(QLatin1Char(c));
}

int SerialPort::waitingCount() const {
    if (!serial_->isOpen()) {
        return 0;
    }
    return static_cast<int>(std::min<qint64>(serial_->bytesAvailable(), INT_MAX));
}

void SerialPort::discardInput() {
    if (serial_->isOpen()) {
        // Qt's own buffer and the driver's: a late answer already on its way in
        // is all that can still arrive.
        serial_->clear(QSerialPort::Input);
    }
}

bool SerialPort::outputDrained() const {
    if (!serial_->isOpen()) {
        return true;  // nothing more can leave
    }
    if (serial_->bytesToWrite() > 0) {
        return false;
    }
#ifdef Q_OS_LINUX
    int queued = 0;
    if (::ioctl(static_cast<int>(serial_->handle()), TIOCOUTQ, &queued) == 0) {
        return queued == 0;
    }
#endif
    return clock_.elapsed() >= lineIdleAtMs_;
}

void SerialPort::handleError() {
    const QSerialPort::SerialPortError error = serial_->error();
    if (error == QSerialPort::NoError || error == QSerialPort::UnsupportedOperationError) {
        return;  // NoError comes with every open(); a pty cannot set DTR: both harmless
    }
    if (opening_ || !serial_->isOpen()) {
        return;  // open() reports its own failure; a closed port has nothing to lose
    }
    // A line that goes away (cable pulled, the other end of a pty closed) keeps
    // raising errors as long as the port stays open: close first, report once.
    // Qt's text for a lost line is left over from an earlier, harmless ioctl
    // ("Inappropriate ioctl for device"), so it is not passed on.
    const bool lineLost = error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
    const QString reason = lineLost ? QStringLiteral("the device was closed or unplugged")
                                    : describe(error, serial_->errorString());
    serial_->close();
    serial_->clearError();
    Q_EMIT failed(reason);
}

QString SerialPort::deviceForNumber(int number) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QStringList SerialPort::availableDevices() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        devices << info.portName();
#else
        devices << info.systemLocation();
#endif
    }
    devices.sort();
    return devices;
}

}  // namespace qm3270

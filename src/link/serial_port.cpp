#include "link/serial_port.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <climits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace qm3270 {

namespace {

// 1200 baud, 8N1: ten bits a character, 120 characters a second.
constexpr std::chrono::nanoseconds kCharacterTime{8'333'334};

// How often an open port looks whether its line is still there: a lost line
// is reported well within half a second.
constexpr std::chrono::milliseconds kLineWatchPeriod{100};

const QString kLineLost = QStringLiteral("the device was closed or unplugged");

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

// The file a port name stands for, with every symbolic link resolved: Qt names
// its lock file after the name it is given, so /dev/pts/3 and a link to it
// would otherwise be two ports to it. A bare name ("ttyUSB0") lives in /dev, as
// Qt has it; a device that does not exist keeps its name for the error.
QString resolvedDevice(const QString& name) {
#ifdef Q_OS_UNIX
    const bool isPath = name.startsWith(u'/') || name.startsWith(QLatin1String("./")) ||
                        name.startsWith(QLatin1String("../"));
    const QString location = isPath ? name : QStringLiteral("/dev/") + name;
    const QString canonical = QFileInfo(location).canonicalFilePath();
    return canonical.isEmpty() ? location : canonical;
#else
    return name;  // "COM5": not a file name
#endif
}

#ifdef Q_OS_UNIX
QString groupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid); entry != nullptr && entry->gr_name != nullptr) {
        return QString::fromLocal8Bit(entry->gr_name);
    }
    return QString::number(gid);
}
#endif

// Qt says "permission" both for a device the user may not use and for one
// that another program holds; the device itself tells them apart.
PortOpenFailure classify(const QString& path, QSerialPort::SerialPortError error,
                         const QString& reason) {
    PortOpenFailure failure{PortOpenFailure::Kind::Other, {}, reason};
    if (error == QSerialPort::DeviceNotFoundError) {
        failure.kind = PortOpenFailure::Kind::Missing;
        return failure;
    }
#ifdef Q_OS_UNIX
    const QByteArray file = QFile::encodeName(path);
    struct stat status {};
    if (::stat(file.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            failure.kind = PortOpenFailure::Kind::Missing;
        }
        return failure;
    }
    if (::faccessat(AT_FDCWD, file.constData(), R_OK | W_OK, AT_EACCESS) != 0 && errno == EACCES) {
        failure.kind = PortOpenFailure::Kind::Permission;
        failure.group = groupName(status.st_gid);
        return failure;
    }
#else
    Q_UNUSED(path);
#endif
    if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError) {
        failure.kind = PortOpenFailure::Kind::Busy;
    }
    return failure;
}

}  // namespace

SerialPort::SerialPort(QObject* parent)
    : Port(parent), serial_(new QSerialPort(this)), lineWatch_(new QTimer(this)) {
    clock_.start();
    lineWatch_->setInterval(kLineWatchPeriod);
    connect(lineWatch_, &QTimer::timeout, this, &SerialPort::watchLine);
    connect(serial_, &QSerialPort::readyRead, this, [this] {
        if (serial_->bytesAvailable() > 0 && !fetching_) {
            Q_EMIT received();
        }
    });
    connect(serial_, &QSerialPort::errorOccurred, this, [this] { handleError(); });
}

SerialPort::~SerialPort() {
    close();
}

bool SerialPort::open(const QString& device, PortOpenFailure* failure) {
    close();
    device_ = device;
    const QString path = resolvedDevice(device);
    serial_->setPortName(path);  // a full path is taken as it is
    serial_->setBaudRate(QSerialPort::Baud1200);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    opening_ = true;
    const bool opened = serial_->open(QIODevice::ReadWrite);
    opening_ = false;
    if (!opened) {
        if (failure != nullptr) {
            *failure = classify(path, serial_->error(),
                                describe(serial_->error(), serial_->errorString()));
        }
        serial_->clearError();
        return false;
    }
    if (!lockDevice(failure)) {
        serial_->close();
        serial_->clearError();
        return false;
    }
    lineIdleAt_ = {};
    node_ = QFile::encodeName(path);
    lineWatch_->start();
    return true;
}

// Qt's lock file guards a port only from programs that look for it, and the
// terminal's exclusive mode does not hold against root: an exclusive lock on
// the device itself keeps two programs from mixing their frames on one radio.
bool SerialPort::lockDevice(PortOpenFailure* failure) {
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(serial_->handle());
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    // A device that cannot be locked at all is still a port; only a lock
    // that someone holds means busy.
    if (result != 0 && errno == EWOULDBLOCK) {
        if (failure != nullptr) {
            *failure = {PortOpenFailure::Kind::Busy, {}, qt_error_string(EWOULDBLOCK)};
        }
        return false;
    }
#else
    Q_UNUSED(failure);
#endif
    return true;
}

void SerialPort::close() {
    lineWatch_->stop();
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
    // The characters follow whatever is still on its way, or start now.
    lineIdleAt_ = std::max(lineIdleAt_, sinceStart()) + text.size() * kCharacterTime;
}

std::chrono::nanoseconds SerialPort::sinceStart() const {
    return std::chrono::nanoseconds(clock_.nsecsElapsed());
}

QString SerialPort::readOne() {
    if (!serial_->isOpen()) {
        return {};
    }
    if (serial_->bytesAvailable() == 0 && driverQueued() > 0) {
        // Arrived, but Qt has not fetched it yet: fetch it now. The caller is
        // reading already, so this is not news to announce through received().
        fetching_ = true;
        if (!serial_->waitForReadyRead(0)) {
            serial_->clearError();  // nothing came in time: no fault of the line
        }
        fetching_ = false;
        if (serial_->bytesAvailable() > 1) {
            // The rest is still news for whoever waits for it.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (waitingCount() > 0) {
                        Q_EMIT received();
                    }
                },
                Qt::QueuedConnection);
        }
    }
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
    return static_cast<int>(std::min<qint64>(serial_->bytesAvailable() + driverQueued(), INT_MAX));
}

// Characters the driver holds that Qt has not fetched yet (its notifier has
// not run): they have arrived all the same.
qint64 SerialPort::driverQueued() const {
#ifdef Q_OS_UNIX
    int queued = 0;
    if (::ioctl(static_cast<int>(serial_->handle()), FIONREAD, &queued) == 0 && queued > 0) {
        return queued;
    }
#endif
    return 0;
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
    if (::ioctl(static_cast<int>(serial_->handle()), TIOCOUTQ, &queued) == 0 && queued > 0) {
        return false;
    }
#endif
    // An empty driver queue is not an idle line: a USB cable's chip keeps what
    // the driver handed it (up to 640 characters, over five seconds at 1200
    // baud) and the driver does not count it. Only the line time of what was
    // sent tells when the last character has left.
    return sinceStart() >= lineIdleAt_;
}

void SerialPort::handleError() {
    const QSerialPort::SerialPortError error = serial_->error();
    // A timeout only says that a wait of ours (fetching what the driver holds)
    // found nothing more: the line is fine.
    if (error == QSerialPort::NoError || error == QSerialPort::UnsupportedOperationError ||
        error == QSerialPort::TimeoutError) {
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
    const QString reason = lineLost ? kLineLost : describe(error, serial_->errorString());
    close();
    serial_->clearError();
    Q_EMIT failed(reason);
}

// Not every Qt reports a lost line: some raise read errors over and over (see
// handleError()), others take the end of input for "nothing yet" and stay
// silent. The line itself tells either way: a terminal whose other end went
// away polls as hung up, and an unplugged device's file disappears (or comes
// back as another device).
void SerialPort::watchLine() {
    if (!serial_->isOpen()) {
        return;
    }
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(serial_->handle());
    pollfd line{fd, 0, 0};
    const bool hungUp =
        ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    struct stat opened {};
    struct stat named {};
    bool removed = false;
    if (::fstat(fd, &opened) == 0) {
        if (::stat(node_.constData(), &named) != 0) {
            removed = errno == ENOENT || errno == ENOTDIR;
        } else {
            removed = named.st_rdev != opened.st_rdev || named.st_ino != opened.st_ino;
        }
    }
    if (hungUp || removed) {
        close();
        serial_->clearError();
        Q_EMIT failed(kLineLost);
    }
#endif
}

QString SerialPort::deviceForNumber(int number) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

}  // namespace qm3270

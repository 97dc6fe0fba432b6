#include "sim/pty_radio.h"

#include "sim/radio_memory.h"

#include <QSocketNotifier>
#include <QTextStream>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qm3270 {

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// Raw 8N1 at the radio's speed. The speed means nothing to a pty, but a port
// that reads its settings back sees what a real line would show.
bool makeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B1200);
    ::cfsetospeed(&settings, B1200);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

QString printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7f) {
        return QString(QLatin1Char(c));
    }
    return QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

}  // namespace

PtyRadio::PtyRadio(QObject* parent) : QObject(parent) {
    sendTimer_.setSingleShot(true);
    sendTimer_.setTimerType(Qt::PreciseTimer);
    connect(&sendTimer_, &QTimer::timeout, this, &PtyRadio::sendDue);
    breakOffTimer_.setSingleShot(true);
    breakOffTimer_.setInterval(kWriteBreakOff);
    connect(&breakOffTimer_, &QTimer::timeout, this, &PtyRadio::breakOffWrite);
}

PtyRadio::~PtyRadio() {
    close();
}

bool PtyRadio::setLogFile(const QString& path, QString* error) {
    log_.close();
    log_.setFileName(path);
    if (!log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error != nullptr) {
            *error = QStringLiteral("cannot open log %1: %2").arg(path, log_.errorString());
        }
        return false;
    }
    return true;
}

bool PtyRadio::open(QString* error) {
    close();
    auto fail = [&](const char* what) {
        if (error != nullptr) {
            *error = systemError(what);
        }
        close();
        return false;
    };
    masterFd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (masterFd_ < 0) {
        return fail("cannot open a pseudo-terminal");
    }
    if (::grantpt(masterFd_) != 0 || ::unlockpt(masterFd_) != 0) {
        return fail("cannot unlock the pseudo-terminal");
    }
    char name[128] = {};
    if (::ptsname_r(masterFd_, name, sizeof name) != 0) {
        return fail("cannot name the pseudo-terminal");
    }
    const int flags = ::fcntl(masterFd_, F_GETFL);
    if (flags < 0 || ::fcntl(masterFd_, F_SETFL, flags | O_NONBLOCK) != 0 || !makeRaw(masterFd_)) {
        return fail("cannot set up the pseudo-terminal");
    }
    // The slave is made raw too: a program's port restores on close the
    // settings it found, so the line stays a plain 8-bit line between programs.
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slaveFd_ < 0 || !makeRaw(slaveFd_)) {
        return fail("cannot open the pseudo-terminal's slave");
    }
    devicePath_ = QString::fromLocal8Bit(name);

    notifier_ = new QSocketNotifier(masterFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyRadio::readMaster);
    sinceOpen_.start();
    logNote(QStringLiteral("serving %1").arg(devicePath_));
    if (engine_.hungUp()) {
        hangUpPending_ = true;
        sendTimer_.start(0);
    }
    return true;
}

void PtyRadio::close() {
    sendTimer_.stop();
    breakOffTimer_.stop();
    outgoing_.clear();
    lineFreeAt_ = {};
    hangUpPending_ = false;
    if (notifier_ != nullptr) {
        // close() may run inside the notifier's own signal (a hang-up fault).
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    // The master goes first: the slave side then sees the hang-up, not an
    // orderly end, exactly like a cable pulled from the radio.
    if (masterFd_ >= 0) {
        ::close(masterFd_);
        masterFd_ = -1;
        logNote(QStringLiteral("line closed"));
    }
    if (slaveFd_ >= 0) {
        ::close(slaveFd_);
        slaveFd_ = -1;
    }
    devicePath_.clear();
}

void PtyRadio::readMaster() {
    char buffer[256];
    for (;;) {
        const ssize_t count = ::read(masterFd_, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            if (count < 0 && errno != EAGAIN) {
                // Only possible if the slave went away under us; stop listening
                // instead of spinning on a descriptor that stays readable.
                logNote(systemError("read"));
                notifier_->setEnabled(false);
            }
            return;
        }
        const QByteArrayView received(buffer, static_cast<qsizetype>(count));
        logCharacters("in ", received);
        const QByteArray answer = engine_.receive(received);

        if (engine_.takeMemoryChanged()) {
            logNote(QStringLiteral("memory written"));
            if (!memoryFile_.isEmpty()) {
                if (const auto failure = saveRadioMemory(memoryFile_, engine_.memory())) {
                    logNote(*failure);
                    Q_EMIT memorySaveFailed(*failure);
                }
            }
            Q_EMIT memoryWritten();
        }
        if (engine_.writeInProgress()) {
            breakOffTimer_.start();
        } else {
            breakOffTimer_.stop();
        }
        queueAnswer(answer);
        Q_EMIT heard(received.toByteArray());
        if (engine_.hungUp()) {
            hangUpPending_ = true;
            scheduleNextSend();
            return;
        }
    }
}

void PtyRadio::queueAnswer(const QByteArray& answer) {
    if (answer.isEmpty()) {
        return;
    }
    const Clock::time_point now = Clock::now();
    Clock::time_point start = std::max(now + replyDelay_, lineFreeAt_);
    for (qsizetype i = 0; i < answer.size(); ++i) {
        outgoing_.push_back({answer.at(i), start + kCharacterTime * (i + 1)});
    }
    lineFreeAt_ = outgoing_.back().due;
    scheduleNextSend();
}

// Sends everything whose time has come in one go. Each character's time was
// fixed when it was queued, so late wake-ups never make the line slower than
// 1200 baud over a whole answer; they only bunch a few characters together.
void PtyRadio::sendDue() {
    if (masterFd_ < 0) {
        return;
    }
    const Clock::time_point now = Clock::now();
    QByteArray due;
    while (!outgoing_.empty() && outgoing_.front().due <= now) {
        due.append(outgoing_.front().character);
        outgoing_.pop_front();
    }
    qsizetype written = 0;
    while (written < due.size()) {
        const ssize_t count = ::write(masterFd_, due.constData() + written,
                                      static_cast<size_t>(due.size() - written));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;  // the pty's buffer is full: keep the rest for the next wake-up
        }
        written += count;
    }
    logCharacters("out", QByteArrayView(due).first(written));
    // What the pty would not take yet (nobody has read it) is tried again a
    // character time later rather than in a busy loop.
    for (qsizetype i = due.size() - 1; i >= written; --i) {
        outgoing_.push_front({due.at(i), now + kCharacterTime});
    }
    if (written > 0 && outgoing_.empty()) {
        Q_EMIT answerSent();
    }
    scheduleNextSend();
}

void PtyRadio::scheduleNextSend() {
    if (outgoing_.empty()) {
        if (hangUpPending_) {
            hangUp();
        }
        return;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(outgoing_.front().due - Clock::now());
    sendTimer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void PtyRadio::breakOffWrite() {
    if (const auto broken = engine_.breakOffWrite()) {
        logNote(QStringLiteral("write broken off after %1 of %2 characters; memory kept")
                    .arg(broken->charactersReceived)
                    .arg(RadioEngine::kMemoryLength));
        Q_EMIT writeBrokenOff(broken->charactersReceived);
    }
}

void PtyRadio::hangUp() {
    engine_.breakOffWrite();
    logNote(QStringLiteral("hanging up"));
    close();
    Q_EMIT hungUp();
}

void PtyRadio::logCharacters(const char* direction, QByteArrayView characters) {
    if (!log_.isOpen() || characters.isEmpty()) {
        return;
    }
    QTextStream out(&log_);
    const double seconds = static_cast<double>(sinceOpen_.nsecsElapsed()) / 1e9;
    for (const char c : characters) {
        out << QString::number(seconds, 'f', 6) << ' ' << direction << ' ' << printable(c) << '\n';
    }
    out.flush();
}

void PtyRadio::logNote(const QString& note) {
    if (!log_.isOpen()) {
        return;
    }
    QTextStream out(&log_);
    const double seconds =
        sinceOpen_.isValid() ? static_cast<double>(sinceOpen_.nsecsElapsed()) / 1e9 : 0.0;
    out << QString::number(seconds, 'f', 6) << " -- " << note << '\n';
    out.flush();
}

}  // namespace qm3270

#include "link/read_transfer.h"

#include "link/frame_codec.h"
#include "link/messages.h"
#include "link/port.h"

#include <QTimer>

namespace qm3270 {

namespace {

constexpr int kProgressStep = 6;  // per channel: 0, 6, ... 90

// A character as the user can make it out: printable ones quoted, the rest by code.
QString shown(QChar c) {
    if (c.isPrint() && c.unicode() < 0x7f) {
        return QStringLiteral("“%1”").arg(c);
    }
    return QStringLiteral("0x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
}

// What came back, for the detailed text of a read that failed on the line.
QString describeAnswer(const QString& device, const FrameCollector& answer) {
    const auto text = [](const char16_t* fixed) { return QString::fromUtf16(fixed); };
    if (answer.receivedCount() == 0) {
        return text(link_messages::kNoAnswerOnPort).arg(device);
    }
    if (answer.state() == FrameCollector::State::Bad) {
        if (answer.digitCount() == frame::kFrameLength * frame::kFramesPerTransfer) {
            return text(link_messages::kAnswerTooLong).arg(device).arg(answer.receivedCount());
        }
        return text(link_messages::kAnswerNotDigit)
            .arg(device)
            .arg(answer.receivedCount())
            .arg(answer.badPosition())
            .arg(shown(answer.badCharacter()));
    }
    return text(link_messages::kAnswerTooShort)
        .arg(device)
        .arg(answer.receivedCount())
        .arg(answer.digitCount());
}

}  // namespace

ReadTransfer::ReadTransfer(Port& port, const LinkTiming& timing, QObject* parent)
    : QObject(parent),
      port_(port),
      timing_(timing),
      timer_(new QTimer(this)),
      deadlineTimer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer4"));
    timer_->setSingleShot(true);
    timer_->setInterval(timing.readArm);
    // A coarse timer may fire 5 % early: 100 ms off a channel's 2 s.
    deadlineTimer_->setTimerType(Qt::PreciseTimer);
    deadlineTimer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &ReadTransfer::armedTick);
    connect(deadlineTimer_, &QTimer::timeout, this, &ReadTransfer::deadlineTick);
    connect(&port_, &Port::received, this, &ReadTransfer::collect);
    connect(&port_, &Port::failed, this, [this] {
        if (running_) {
            fail();
        }
    });
}

bool ReadTransfer::isRunning() const {
    return running_;
}

void ReadTransfer::start() {
    if (running_) {
        return;
    }
    running_ = true;
    collecting_ = false;
    timer_->start();
}

void ReadTransfer::armedTick() {
    if (!port_.isOpen()) {
        fail();
        return;
    }
    // Whatever waits now (a poll answer, line noise) is not part of the answer;
    // left there it would shift every frame.
    port_.discardInput();
    collector_.reset();
    channelsDone_ = 0;
    collecting_ = true;
    port_.send(QByteArray(1, frame::kReadCommand));
    if (!running_) {
        return;  // the port failed while sending
    }
    waitUntil(timing_.readChannelTimeout);  // the first channel's time runs from the command
    Q_EMIT begun();
    collect();
}

void ReadTransfer::collect() {
    if (!running_ || !collecting_) {
        return;  // outside a read the ready watch reads the port
    }
    while (collector_.state() != FrameCollector::State::Bad) {
        const QString c = port_.readOne();
        if (c.isEmpty()) {
            break;
        }
        collector_.feed(c);
    }
    if (!running_) {
        return;  // the line went away while reading
    }
    if (collector_.state() == FrameCollector::State::Bad) {
        failOnLine();
        return;
    }
    const int complete = collector_.framesComplete();
    if (complete == channelsDone_) {
        return;
    }
    while (channelsDone_ < complete) {
        Q_EMIT progress(channelsDone_ * kProgressStep);
        ++channelsDone_;
    }
    // Each channel gets its own time from the one before, not a share of one
    // deadline for the whole answer; after the last, the line must stay quiet.
    waitUntil(collector_.state() == FrameCollector::State::Complete ? timing_.readQuiet
                                                                    : timing_.readChannelTimeout);
}

void ReadTransfer::waitUntil(std::chrono::milliseconds fromNow) {
    deadline_ = QDeadlineTimer(fromNow, Qt::PreciseTimer);
    deadlineTimer_->start(fromNow);
}

void ReadTransfer::deadlineTick() {
    if (!running_ || !collecting_) {
        return;
    }
    const qint64 leftNs = deadline_.remainingTimeNSecs();
    if (leftNs > 0) {
        // Woken before the time: wait out the rest, to the millisecond.
        deadlineTimer_->start(std::chrono::milliseconds((leftNs + 999'999) / 1'000'000));
        return;
    }
    if (collector_.state() != FrameCollector::State::Complete) {
        failOnLine();  // a channel did not arrive in time
        return;
    }
    collect();
    // A character that has reached the port but not yet this loop still broke the quiet.
    if (running_ && port_.waitingCount() == 0) {
        succeed();
    } else {
        failOnLine();
    }
}

void ReadTransfer::succeed() {
    deadlineTimer_->stop();
    running_ = false;
    collecting_ = false;
    const QStringList frames = collector_.frames();
    collector_.reset();
    Q_EMIT succeeded(frames);
}

// The line stayed up but the radio's answer was missing or wrong: the user is
// told what came, on which port.
void ReadTransfer::failOnLine() {
    fail(describeAnswer(port_.device(), collector_));
}

void ReadTransfer::fail(const QString& detail) {
    if (!running_) {
        return;
    }
    running_ = false;
    collecting_ = false;
    timer_->stop();
    deadlineTimer_->stop();
    collector_.reset();
    UserMessage message = link_messages::transferError(link_messages::kReadFailed);
    message.detail = detail;
    Q_EMIT failed(message);
}

}  // namespace qm3270

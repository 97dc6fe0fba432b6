#include "link/read_transfer.h"

#include "link/frame_codec.h"
#include "link/messages.h"
#include "link/port.h"

#include <QTimer>

namespace qm3270 {

namespace {
constexpr int kProgressStep = 6;  // per channel: 0, 6, ... 90
}  // namespace

ReadTransfer::ReadTransfer(Port& port, const LinkTiming& timing, QObject* parent)
    : QObject(parent),
      port_(port),
      timing_(timing),
      timer_(new QTimer(this)),
      channelTimer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer4"));
    timer_->setSingleShot(true);
    timer_->setInterval(timing.readArm);
    channelTimer_->setSingleShot(true);
    channelTimer_->setInterval(timing.readChannelTimeout);
    connect(timer_, &QTimer::timeout, this, &ReadTransfer::armedTick);
    connect(channelTimer_, &QTimer::timeout, this, &ReadTransfer::fail);
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
    channelTimer_->start();
    port_.send(QByteArray(1, frame::kReadCommand));
    if (!running_) {
        return;  // the port failed while sending
    }
    Q_EMIT begun();
    collect();
}

void ReadTransfer::collect() {
    if (!running_ || !collecting_) {
        return;  // outside a read the ready watch reads the port
    }
    while (collector_.state() == FrameCollector::State::Collecting && port_.waitingCount() > 0) {
        collector_.feed(port_.readOne());
    }
    if (collector_.state() == FrameCollector::State::Bad) {
        fail();
        return;
    }
    const int complete = collector_.framesComplete();
    if (complete > channelsDone_) {
        // Each channel gets its own time from the one before, not a share of
        // one deadline for the whole answer.
        channelTimer_->start();
    }
    while (channelsDone_ < complete) {
        Q_EMIT progress(channelsDone_ * kProgressStep);
        ++channelsDone_;
    }
    if (collector_.state() == FrameCollector::State::Complete) {
        channelTimer_->stop();
        running_ = false;
        collecting_ = false;
        const QStringList frames = collector_.frames();
        collector_.reset();
        Q_EMIT succeeded(frames);
    }
}

void ReadTransfer::fail() {
    if (!running_) {
        return;
    }
    running_ = false;
    collecting_ = false;
    timer_->stop();
    channelTimer_->stop();
    collector_.reset();
    Q_EMIT failed(link_messages::transferError(link_messages::kReadFailed));
}

}  // namespace qm3270

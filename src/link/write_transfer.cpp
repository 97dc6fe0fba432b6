#include "link/write_transfer.h"

#include "link/frame_codec.h"
#include "link/messages.h"
#include "link/port.h"

#include <QTimer>

namespace qm3270 {

namespace {
// The step counter runs 0, 6, ... 90 while frames go out (it is also the
// progress bar's value); the tick that would take it past 96 ends the write.
constexpr int kStep = 6;
constexpr int kLastFrameStep = kStep * (frame::kFramesPerTransfer - 1);
constexpr int kEndStep = 100;
}  // namespace

WriteTransfer::WriteTransfer(Port& port, const LinkTiming& timing, QObject* parent)
    : QObject(parent),
      port_(port),
      timing_(timing),
      timer_(new QTimer(this)),
      drainTimer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(timing.writeTick);
    // A coarse timer may run each tick a little early, and the error adds up
    // over sixteen frames.
    timer_->setTimerType(Qt::PreciseTimer);
    drainTimer_->setInterval(timing.drainPoll);
    connect(timer_, &QTimer::timeout, this, &WriteTransfer::tick);
    connect(drainTimer_, &QTimer::timeout, this, &WriteTransfer::checkDrained);
    connect(&port_, &Port::failed, this, [this] { fail(); });
}

bool WriteTransfer::isRunning() const {
    return running_;
}

void WriteTransfer::start(const QStringList& frames) {
    if (running_) {
        return;  // a second "A" in the middle of the frames would scramble the radio
    }
    running_ = true;
    frames_ = frames;
    step_ = 0;
    if (port_.isOpen()) {
        port_.send(QByteArray(1, frame::kWriteCommand));
    }
    // A closed port fails on the first tick, after the caller has set itself up.
    timer_->start();
}

void WriteTransfer::interrupt() {
    fail();
}

void WriteTransfer::tick() {
    if (!port_.isOpen()) {
        fail();
        return;
    }
    if (step_ <= kLastFrameStep) {
        const int index = step_ / kStep;
        // Nothing the radio says during a write matters; one waiting character
        // is taken out and dropped ahead of each frame.
        port_.readOne();
        if (index < frames_.size()) {
            port_.send(frames_.at(index).toLatin1());
        }
        Q_EMIT progress(step_);
    }
    step_ += kStep;
    if (step_ >= kEndStep) {
        timer_->stop();
        // At 1200 baud the frames are still queued when the ticks are done:
        // the write is over only once the line has carried the last character.
        drainDeadline_.setRemainingTime(timing_.drainLimit);
        checkDrained();
    }
}

void WriteTransfer::checkDrained() {
    if (!running_) {
        return;
    }
    if (!port_.isOpen() || drainDeadline_.hasExpired()) {
        fail();
        return;
    }
    if (!port_.outputDrained()) {
        if (!drainTimer_->isActive()) {
            drainTimer_->start();
        }
        return;
    }
    drainTimer_->stop();
    running_ = false;
    step_ = 0;
    Q_EMIT finished();
}

void WriteTransfer::fail() {
    if (!running_) {
        return;
    }
    running_ = false;
    timer_->stop();
    drainTimer_->stop();
    step_ = 0;
    Q_EMIT failed(link_messages::transferError(link_messages::kWriteInterrupted));
}

}  // namespace qm3270

#include "link/ready_watch.h"

#include "link/frame_codec.h"
#include "link/port.h"

#include <QTimer>

namespace qm3270 {

ReadyWatch::ReadyWatch(Port& port, const LinkTiming& timing, QObject* parent)
    : QObject(parent), port_(port), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer3"));
    timer_->setInterval(timing.readyTick);
    connect(timer_, &QTimer::timeout, this, &ReadyWatch::tick);
}

void ReadyWatch::start() {
    if (!timer_->isActive()) {
        timer_->start();
    }
}

void ReadyWatch::stop() {
    timer_->stop();
}

bool ReadyWatch::isRunning() const {
    return timer_->isActive();
}

void ReadyWatch::tick() {
    if (!port_.isOpen()) {
        return;  // keep ticking: the user may pick a port in the dialog
    }
    // One character a tick: whatever stands ahead of the radio's "C" is dropped
    // and answered by another poll.
    if (port_.readOne() == QLatin1Char(frame::kReadyPoll)) {
        stop();
        Q_EMIT ready();
        return;
    }
    port_.send(QByteArray(1, frame::kReadyPoll));
}

}  // namespace qm3270

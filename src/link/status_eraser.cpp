#include "link/status_eraser.h"

#include <QTimer>

namespace qm3270 {

namespace {
// The line is emptied on the 11th tick: about 660 ms at the usual 60 ms.
constexpr int kTicksBeforeErasing = 11;
}  // namespace

StatusEraser::StatusEraser(const LinkTiming& timing, QObject* parent)
    : QObject(parent), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer2"));
    timer_->setInterval(timing.eraserTick);
    connect(timer_, &QTimer::timeout, this, [this] {
        ++ticks_;
        if (ticks_ >= kTicksBeforeErasing) {
            ticks_ = 0;
            timer_->stop();
            Q_EMIT erase();
        }
    });
}

void StatusEraser::start() {
    // Switching it on while it counts leaves both the count and the tick phase
    // alone, so a second transfer's status can be emptied early.
    if (!timer_->isActive()) {
        timer_->start();
    }
}

void StatusEraser::stop() {
    timer_->stop();
}

bool StatusEraser::isRunning() const {
    return timer_->isActive();
}

}  // namespace qm3270

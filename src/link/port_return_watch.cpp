#include "link/port_return_watch.h"

#include "link/port.h"

#include <QTimer>

namespace qm3270 {

PortReturnWatch::PortReturnWatch(Port& port, const PortLister& lister,
                                 std::chrono::milliseconds period, QObject* parent)
    : QObject(parent), port_(port), lister_(lister), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("portReturnTimer"));
    timer_->setInterval(period);
    connect(timer_, &QTimer::timeout, this, &PortReturnWatch::check);
    connect(&port_, &Port::failed, this, [this] {
        if (name_.isEmpty() || lost_) {
            return;
        }
        lost_ = true;
        toldOther_ = false;
        timer_->start();
        Q_EMIT lost(name_);
    });
}

void PortReturnWatch::follow() {
    timer_->stop();
    lost_ = false;
    name_ = port_.isOpen() ? port_.device() : QString();
    // Who the device is, learnt while it is there: once it is gone the system
    // no longer says.
    cable_ = name_.isEmpty() ? std::nullopt : lister_.find(name_);
    if (cable_ && !cable_->hasUsbIds()) {
        cable_.reset();
    }
}

std::optional<QString> PortReturnWatch::returnedName(const PortLister& lister, const QString& name,
                                                     const std::optional<PortListing>& cable) {
    if (!cable) {
        // Nothing but the name to know it by (a pseudo-terminal, a built-in port).
        if (lister.exists(name)) {
            return name;
        }
        return std::nullopt;
    }
    if (lister.exists(name)) {
        const auto now = lister.find(name);
        if (now && now->sameCable(*cable)) {
            return name;
        }
    }
    // The kernel may give a cable plugged in again another number.
    for (const PortListing& port : lister.ports()) {
        if (port.sameCable(*cable)) {
            return port.preferredName();
        }
    }
    return std::nullopt;
}

void PortReturnWatch::check() {
    if (!lost_) {
        timer_->stop();
        return;
    }
    const auto name = returnedName(lister_, name_, cable_);
    if (!name) {
        if (!toldOther_ && lister_.exists(name_)) {
            toldOther_ = true;
            const auto other = lister_.find(name_);
            Q_EMIT otherCable(name_, other ? other->listText() : name_);
        }
        return;
    }
    if (!port_.open(*name, nullptr)) {
        return;  // there, but not usable yet (udev still setting it up): next tick
    }
    follow();
    Q_EMIT returned(*name);
}

}  // namespace qm3270

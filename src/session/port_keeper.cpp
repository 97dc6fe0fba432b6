#include "session/port_keeper.h"

#include "link/port.h"
#include "link/port_return_watch.h"
#include "link/port_selection.h"
#include "session/messages.h"
#include "session/port_memory.h"

#include <algorithm>

namespace qm3270 {

namespace {

QString text(const char16_t* fixed) {
    return QString::fromUtf16(fixed);
}

}  // namespace

PortKeeper::PortKeeper(PortSelection& selection, const PortLister& lister, PortMemory& memory,
                       bool simulated, QObject* parent)
    : QObject(parent),
      selection_(selection),
      lister_(lister),
      memory_(memory),
      returnWatch_(
          new PortReturnWatch(selection.port(), lister, PortReturnWatch::kCheckPeriod, this)),
      simulated_(simulated) {
    connect(returnWatch_, &PortReturnWatch::lost, this, &PortKeeper::changed);
    connect(returnWatch_, &PortReturnWatch::returned, this, [this] {
        changed();
        Q_EMIT returned();
    });
    connect(returnWatch_, &PortReturnWatch::otherCable, this,
            [this](const QString& name, const QString& what) {
                Q_EMIT note(text(port_messages::kOtherCableBack).arg(name, what));
            });
}

PortKeeper::~PortKeeper() = default;

void PortKeeper::openAtStartUp(const std::optional<QString>& explicitDevice, const Show& show) {
    if (const auto problem = memory_.unreadable()) {
        show(*problem);
    }
    if (explicitDevice) {
        userChosen_ = !simulated_;
        selection_.openAtStartUp(explicitDevice, show);
    } else if (tryRemembered()) {
        userChosen_ = true;  // chosen on an earlier day
    } else if (!tryOnlyCable()) {
        selection_.openAtStartUp(std::nullopt, show);
    }
    returnWatch_->follow();
    changed();
}

bool PortKeeper::tryRemembered() {
    const auto remembered = memory_.remembered();
    if (!remembered) {
        return false;
    }
    if (!lister_.exists(remembered->name)) {
        Q_EMIT note(text(port_messages::kRememberedMissing).arg(remembered->name));
        return false;
    }
    if (remembered->cable) {
        // The name may now belong to something else (another cable on the same
        // ttyUSB number, a different kind of device): that is not the radio's.
        const auto now = lister_.find(remembered->name);
        if (!now || !now->sameCable(*remembered->cable)) {
            Q_EMIT note(text(port_messages::kRememberedOtherDevice)
                            .arg(remembered->name, now ? now->listText() : remembered->name));
            return false;
        }
    }
    return openQuietly(remembered->name);
}

bool PortKeeper::tryOnlyCable() {
    QList<PortListing> cables = lister_.ports();
    cables.erase(std::remove_if(cables.begin(), cables.end(),
                                [](const PortListing& port) {
                                    return !port.hasUsbIds() ||
                                           knownCableChip(*port.vendor, *port.product).isEmpty();
                                }),
                 cables.end());
    // Two cables: which one holds the radio is the user's to say.
    return cables.size() == 1 && openQuietly(cables.front().preferredName());
}

bool PortKeeper::openQuietly(const QString& name) {
    if (const auto failure = selection_.chooseDevice(name)) {
        Q_EMIT note(text(port_messages::kUnusable).arg(name, failure->detail));
        selection_.port().close();
        return false;
    }
    return true;
}

// A choice in the dialog ends the wait for a lost cable too.
void PortKeeper::portChosen() {
    userChosen_ = selection_.port().isOpen();
    returnWatch_->follow();
    changed();
}

void PortKeeper::radioAnswered() {
    Port& port = selection_.port();
    if (!userChosen_ || simulated_ || !port.isOpen()) {
        return;
    }
    const auto cable = lister_.find(port.device());
    // A name that stays with the cable outlives the ttyUSB number of the day.
    memory_.remember(cable ? cable->preferredName() : port.device(), cable);
}

QString PortKeeper::statusText() const {
    const Port& port = selection_.port();
    if (simulated_) {
        return text(port_messages::kSimulated);
    }
    if (returnWatch_->isLost()) {
        return text(port_messages::kLost).arg(returnWatch_->lostName());
    }
    if (!port.isOpen()) {
        return text(port_messages::kNotOpen);
    }
    const auto cable = lister_.find(port.device());
    if (cable && !cable->description.isEmpty()) {
        return text(port_messages::kOpenWithCable).arg(port.device(), cable->description);
    }
    return text(port_messages::kOpen).arg(port.device());
}

void PortKeeper::changed() {
    Q_EMIT statusChanged(statusText());
}

}  // namespace qm3270

#include "link/port_selection.h"

#include "link/messages.h"

#include <utility>

namespace qm3270 {

namespace {

int otherNumber(int number) {
    return number == 1 ? 2 : 1;
}

}  // namespace

PortSelection::PortSelection(Port& port, DeviceForNumber deviceForNumber)
    : port_(port), deviceForNumber_(std::move(deviceForNumber)) {}

int PortSelection::number() const {
    return number_;
}

void PortSelection::openAtStartUp(const std::optional<QString>& explicitDevice,
                                  const std::function<void(const UserMessage&)>& show) {
    if (explicitDevice) {
        // The user named the port: no guessing at COM1 or COM2 behind their back.
        otherDevice_ = *explicitDevice;
        if (!port_.open(otherDevice_, nullptr)) {
            show(link_messages::deviceUnavailable(otherDevice_));
        }
        return;
    }
    number_ = 1;
    if (port_.open(deviceForNumber_(1), nullptr)) {
        return;
    }
    show(link_messages::portMessage(link_messages::kFirstPortBusyAtStartUp));
    number_ = 2;
    if (!port_.open(deviceForNumber_(2), nullptr)) {
        // Not fatal: the table and the files work without a radio.
        show(link_messages::portMessage(link_messages::kSecondPortUnavailable));
    }
}

std::optional<UserMessage> PortSelection::chooseNumber(int number) {
    if (number != 1 && number != 2) {
        return std::nullopt;
    }
    const bool samePort = number == number_ && otherDevice_.isEmpty();
    if (samePort && port_.isOpen()) {
        return std::nullopt;  // already there: the line is not disturbed
    }
    if (!samePort) {
        port_.close();
        number_ = number;
        otherDevice_.clear();
    }
    if (port_.open(deviceForNumber_(number), nullptr)) {
        return std::nullopt;
    }
    // The port stays closed, pointing at the other number, so that OK with the
    // other option next time moves there (and back to a port that was open).
    number_ = otherNumber(number);
    return number == 1 ? link_messages::portMessage(link_messages::kFirstPortInUse)
                       : link_messages::portMessage(link_messages::kSecondPortInUse);
}

std::optional<UserMessage> PortSelection::chooseDevice(const QString& device) {
    const QString name = device.trimmed();
    if (name.isEmpty()) {
        return link_messages::deviceUnavailable(name);
    }
    if (port_.isOpen() && name == otherDevice_ && name == port_.device()) {
        return std::nullopt;
    }
    port_.close();
    otherDevice_ = name;
    if (port_.open(name, nullptr)) {
        return std::nullopt;
    }
    return link_messages::deviceUnavailable(name);
}

}  // namespace qm3270

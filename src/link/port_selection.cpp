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
        PortOpenFailure failure;
        if (!port_.open(otherDevice_, &failure)) {
            show(link_messages::deviceUnavailable(otherDevice_, failure));
        }
        return;
    }
    number_ = 1;
    otherDevice_.clear();  // a device tried quietly before is not the user's choice
    PortOpenFailure failure;
    if (port_.open(deviceForNumber_(1), &failure)) {
        return;
    }
    show(link_messages::portMessage(link_messages::kFirstPortBusyAtStartUp, deviceForNumber_(1),
                                    failure));
    number_ = 2;
    if (!port_.open(deviceForNumber_(2), &failure)) {
        // Not fatal: the table and the files work without a radio.
        show(link_messages::portMessage(link_messages::kSecondPortUnavailable, deviceForNumber_(2),
                                        failure));
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
    const QString device = deviceForNumber_(number);
    PortOpenFailure failure;
    if (port_.open(device, &failure)) {
        return std::nullopt;
    }
    // The port stays closed, pointing at the other number, so that OK with the
    // other option next time moves there (and back to a port that was open).
    number_ = otherNumber(number);
    return link_messages::portMessage(
        number == 1 ? link_messages::kFirstPortInUse : link_messages::kSecondPortInUse, device,
        failure);
}

std::optional<UserMessage> PortSelection::chooseDevice(const QString& device) {
    const QString name = device.trimmed();
    if (name.isEmpty()) {
        return link_messages::deviceUnavailable(name, {});  // nothing to explain
    }
    if (port_.isOpen() && name == otherDevice_ && name == port_.device()) {
        return std::nullopt;
    }
    port_.close();
    otherDevice_ = name;
    PortOpenFailure failure;
    if (port_.open(name, &failure)) {
        return std::nullopt;
    }
    return link_messages::deviceUnavailable(name, failure);
}

}  // namespace qm3270

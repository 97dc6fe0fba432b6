#pragma once

#include "channels/user_message.h"
#include "link/port.h"

#include <functional>
#include <optional>

namespace qm3270 {

// Which port the program uses: COM1, COM2 or another device typed or picked by the
// user, with the opening at start-up and the port dialog's OK rules.
class PortSelection {
public:
    using DeviceForNumber = std::function<QString(int)>;

    explicit PortSelection(Port& port, DeviceForNumber deviceForNumber);

    int number() const;  // 1 or 2 (the number last set)
    // The device chosen instead of COM1/COM2 (--port or " 其它端口"), whether it
    // opened or not; empty while the numbered ports are in use.
    QString otherDevice() const { return otherDevice_; }
    Port& port() { return port_; }

    // COM1, falling back to COM2 after COM1's message; `explicitDevice` replaces both.
    // Each message is shown (through `show`) at the moment it arises.
    void openAtStartUp(const std::optional<QString>& explicitDevice,
                       const std::function<void(const UserMessage&)>& show);

    // The port dialog's OK with " COM1" (1) or " COM2" (2) selected. On failure
    // returns the message; the port is then closed and the number set as the
    // dialog's rule says.
    std::optional<UserMessage> chooseNumber(int number);
    // OK with " 其它端口": opens `device` instead of COM1/COM2. On failure the
    // port is closed and the message names the device.
    std::optional<UserMessage> chooseDevice(const QString& device);

private:
    Port& port_;
    DeviceForNumber deviceForNumber_;
    int number_ = 1;
    QString otherDevice_;
};

}  // namespace qm3270

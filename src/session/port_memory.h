#pragma once

#include "channels/user_message.h"
#include "link/port_lister.h"

#include <QString>

#include <optional>

class QSettings;

namespace qm3270 {

// The port on which the radio last answered, kept across runs with the USB ids
// of its cable (when it had them), so that a name now taken by another
// device is not opened as if it were the cable.
class PortMemory {
public:
    struct Remembered {
        QString name;
        std::optional<PortListing> cable;  // vendor, product and serial number only
    };

    // No settings: nothing is remembered.
    explicit PortMemory(QSettings* settings);

    // The settings file could not be read. Then nothing is taken from it and
    // nothing written to it: Qt would write it anew with only what it could
    // make out, and the rest of it would be lost.
    std::optional<UserMessage> unreadable() const;

    std::optional<Remembered> remembered() const;
    void remember(const QString& name, const std::optional<PortListing>& cable);

private:
    bool usable() const;

    QSettings* settings_;
};

}  // namespace qm3270

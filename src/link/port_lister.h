#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace qm3270 {

// One serial port the system lists, with what it knows of the device behind it.
struct PortListing {
    QString device;       // the device node, "/dev/ttyUSB0" ("COM3" on Windows)
    QString stableName;   // a name that stays with the cable, "/dev/serial/by-id/…"; "" if none
    QString description;  // the cable's chip when it is one we know, else the system's words
    std::optional<quint16> vendor;
    std::optional<quint16> product;
    QString serialNumber;

    bool hasUsbIds() const { return vendor.has_value() && product.has_value(); }
    // The same cable: the same USB vendor, product and serial number.
    bool sameCable(const PortListing& other) const {
        return hasUsbIds() && vendor == other.vendor && product == other.product &&
               serialNumber == other.serialNumber;
    }
    // The name to use and to remember: the stable one when there is one.
    QString preferredName() const { return stableName.isEmpty() ? device : stableName; }
    // "/dev/ttyUSB0  CH340 (1a86:7523)", as the port list shows it.
    QString listText() const;
};

// What is plugged in. The system's own lister asks the operating system; tests
// give a list of their own (pseudo-terminals are never listed, so a typed or
// linked path must always work without a listing).
class PortLister {
public:
    virtual ~PortLister() = default;
    virtual QList<PortListing> ports() const = 0;
    // The device node `name` leads to (through links), "" when nothing is there.
    virtual QString resolve(const QString& name) const = 0;

    bool exists(const QString& name) const { return !resolve(name).isEmpty(); }
    // The listing `name` stands for: its device node or its stable name.
    std::optional<PortListing> find(const QString& name) const;
};

// The programming-cable chips the package's udev rule lets the user open:
// their name ("CH340") by USB vendor and product, "" for any other.
QString knownCableChip(quint16 vendor, quint16 product);

// QSerialPortInfo's list with the stable names of /dev/serial/by-id.
class SystemPortLister : public PortLister {
public:
    QList<PortListing> ports() const override;
    QString resolve(const QString& name) const override;
};

// The one the programs use.
const PortLister& systemPortLister();

}  // namespace qm3270

#include "link/port_lister.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include <algorithm>
#include <array>

namespace qm3270 {

namespace {

struct KnownChip {
    quint16 vendor;
    quint16 product;
    const char* name;
};

// The chips of the package's udev rule, in its order.
constexpr std::array kKnownChips{
    KnownChip{0x1a86, 0x7523, "CH340"},
    KnownChip{0x067b, 0x2303, "PL2303"},
    KnownChip{0x10c4, 0xea60, "CP210x"},
    KnownChip{0x0403, 0x6001, "FT232"},
};

QString hex4(quint16 value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

// udev's links that stay with one cable, by the device node they lead to.
QHash<QString, QString> stableNamesByDevice() {
    QHash<QString, QString> names;
#ifdef Q_OS_LINUX
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty()) {
            names.insert(target, link.absoluteFilePath());
        }
    }
#endif
    return names;
}

}  // namespace

QString PortListing::listText() const {
    QString text = device;
    if (!description.isEmpty()) {
        text += QStringLiteral("  ") + description;
    }
    if (hasUsbIds()) {
        text += QStringLiteral(" (%1:%2)").arg(hex4(*vendor), hex4(*product));
    }
    return text;
}

std::optional<PortListing> PortLister::find(const QString& name) const {
    const QString node = resolve(name);
    const QList<PortListing> listed = ports();
    const auto it = std::find_if(listed.begin(), listed.end(), [&](const PortListing& port) {
        return name == port.device || name == port.stableName ||
               (!node.isEmpty() && node == resolve(port.device));
    });
    if (it == listed.end()) {
        return std::nullopt;
    }
    return *it;
}

QString knownCableChip(quint16 vendor, quint16 product) {
    for (const KnownChip& chip : kKnownChips) {
        if (chip.vendor == vendor && chip.product == product) {
            return QString::fromLatin1(chip.name);
        }
    }
    return {};
}

QList<PortListing> SystemPortLister::ports() const {
    const QHash<QString, QString> stable = stableNamesByDevice();
    QList<PortListing> listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortListing port;
#ifdef Q_OS_WIN
        port.device = info.portName();
#else
        port.device = info.systemLocation();
#endif
        port.stableName = stable.value(QFileInfo(port.device).canonicalFilePath());
        port.description = info.description();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vendor = info.vendorIdentifier();
            port.product = info.productIdentifier();
            const QString chip = knownCableChip(*port.vendor, *port.product);
            if (!chip.isEmpty()) {
                port.description = chip;
            }
        }
        port.serialNumber = info.serialNumber();
        listed << port;
    }
    std::sort(listed.begin(), listed.end(),
              [](const PortListing& a, const PortListing& b) { return a.device < b.device; });
    return listed;
}

QString SystemPortLister::resolve(const QString& name) const {
#ifdef Q_OS_WIN
    // COM names are no files; the list is all the system tells.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.portName().compare(name, Qt::CaseInsensitive) == 0) {
            return info.portName();
        }
    }
    return {};
#else
    // A link that points nowhere (a by-id name of a cable pulled out) gives "".
    return QFileInfo(name).canonicalFilePath();
#endif
}

const PortLister& systemPortLister() {
    static const SystemPortLister lister;
    return lister;
}

}  // namespace qm3270

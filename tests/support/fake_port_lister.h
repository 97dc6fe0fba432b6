#pragma once

#include "link/port_lister.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace qm3270::test {

// What is plugged in, as a test says: listed ports, other device nodes that
// exist without a listing (a pseudo-terminal), and links to device nodes.
class FakePortLister : public PortLister {
public:
    QList<PortListing> listed;
    QSet<QString> unlisted;         // nodes that exist but are not listed
    QHash<QString, QString> links;  // name → the node it points to

    QList<PortListing> ports() const override { return listed; }
    QString resolve(const QString& name) const override {
        const QString node = links.value(name, name);
        const bool there = unlisted.contains(node) ||
                           std::any_of(listed.begin(), listed.end(), [&](const PortListing& port) {
                               return port.device == node;
                           });
        return there ? node : QString();
    }

    // A USB cable at `device`, its by-id link made when `stableName` is given.
    PortListing& plug(const QString& device, quint16 vendor, quint16 product,
                      const QString& serial = {}, const QString& stableName = {}) {
        PortListing port;
        port.device = device;
        port.vendor = vendor;
        port.product = product;
        port.serialNumber = serial;
        port.description = knownCableChip(vendor, product);
        port.stableName = stableName;
        if (!stableName.isEmpty()) {
            links.insert(stableName, device);
        }
        listed << port;
        return listed.last();
    }
    void pullAll() {
        listed.clear();
        links.clear();
    }
};

}  // namespace qm3270::test

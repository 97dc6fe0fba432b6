#include "link/port_list_model.h"

#include <algorithm>

namespace qm3270 {

namespace {

bool sameRow(const PortListing& a, const PortListing& b) {
    return a.listText() == b.listText() && a.preferredName() == b.preferredName();
}

bool listed(const QList<PortListing>& ports, const PortListing& port) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const PortListing& other) { return sameRow(other, port); });
}

}  // namespace

PortListModel::PortListModel(const PortLister& lister, QObject* parent)
    : QAbstractListModel(parent), lister_(lister) {
    refresh();
}

int PortListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ports_.size());
}

QVariant PortListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= ports_.size()) {
        return {};
    }
    const PortListing& port = ports_.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return port.listText();
    }
    if (role == kNameRole) {
        return port.preferredName();
    }
    return {};
}

void PortListModel::refresh() {
    const QList<PortListing> now = lister_.ports();
    for (int row = static_cast<int>(ports_.size()) - 1; row >= 0; --row) {
        if (!listed(now, ports_.at(row))) {
            beginRemoveRows({}, row, row);
            ports_.removeAt(row);
            endRemoveRows();
        }
    }
    // New ports go where their place in the system's order is.
    for (const PortListing& port : now) {
        if (listed(ports_, port)) {
            continue;
        }
        const auto at = std::find_if(ports_.begin(), ports_.end(), [&](const PortListing& other) {
            return port.device < other.device;
        });
        const int row = static_cast<int>(at - ports_.begin());
        beginInsertRows({}, row, row);
        ports_.insert(row, port);
        endInsertRows();
    }
}

}  // namespace qm3270

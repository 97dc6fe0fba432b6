#pragma once

#include "link/port_lister.h"

#include <QAbstractListModel>
#include <QList>

namespace qm3270 {

// The ports plugged in, one row each ("/dev/ttyUSB0  CH340 (1a86:7523)"), for
// the port dialog's list. refresh() follows the cables: rows come and go one by
// one, so that a row the user is on stays where it is.
class PortListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The name to open for a row: its stable name when it has one.
    static constexpr int kNameRole = Qt::UserRole;

    explicit PortListModel(const PortLister& lister, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void refresh();

private:
    const PortLister& lister_;
    QList<PortListing> ports_;
};

}  // namespace qm3270

#pragma once

#include "channels/user_message.h"

#include <QAbstractTableModel>

#include <functional>

namespace qm3270 {

class ChannelStore;

// The grid's view of the store: 16 rows, the four columns with their captions,
// editable in place. An accepted frequency edit runs the edit rule; its message
// goes to the messenger before the row changes, and so does the store's word
// that the database refused the edits it keeps. While locked (a read from the
// radio is running) no edit is accepted.
class ChannelTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using Messenger = std::function<void(const UserMessage&)>;

    ChannelTableModel(ChannelStore& store, Messenger messenger, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void setLocked(bool locked);
    bool isLocked() const;

private:
    ChannelStore& store_;
    Messenger messenger_;
    bool locked_ = false;
};

}  // namespace qm3270

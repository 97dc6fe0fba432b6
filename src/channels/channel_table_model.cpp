#include "channels/channel_table_model.h"

#include "channels/cell_values.h"
#include "channels/channel_store.h"
#include "channels/edit_rules.h"
#include "channels/messages.h"

#include <array>
#include <utility>

namespace qm3270 {

namespace {

// Each caption starts with one blank, as the grid has always shown them.
const std::array<QString, kColumnCount> kCaptions = {
    QStringLiteral(" 信道号"), QStringLiteral(" 接收频率 (MHz)"), QStringLiteral(" 发送频率 (MHz)"),
    QStringLiteral(" 拍频")};

// The row header marks the current row, the one a beat pick writes into, as a
// record selector does. It shows no numbers: the channel number is a field the
// user may edit, and a fixed "7" beside an edited "7x" would contradict it.
constexpr char16_t kCurrentRowMarker[] = u"\u25B6";

}  // namespace

ChannelTableModel::ChannelTableModel(ChannelStore& store, Messenger messenger, QObject* parent)
    : QAbstractTableModel(parent), store_(store), messenger_(std::move(messenger)) {
    // Rows change behind the grid's back too: a beat pick, a read from the
    // radio, an opened channel file.
    connect(&store_, &ChannelStore::rowChanged, this, [this](int row) {
        if (row >= 0 && row < kChannelCount) {
            Q_EMIT dataChanged(index(row, 0), index(row, kColumnCount - 1),
                               {Qt::DisplayRole, Qt::EditRole});
        }
    });
    // The refused edit stays in the grid; the user must know it is not in the
    // file yet, and where the file is.
    connect(&store_, &ChannelStore::writeRefused, this, [this](const QString& reason) {
        if (messenger_) {
            messenger_(channel_messages::databaseRefused(store_.path(), reason));
        }
    });
    connect(&store_, &ChannelStore::currentRowChanged, this,
            [this] { Q_EMIT headerDataChanged(Qt::Vertical, 0, kChannelCount - 1); });
}

int ChannelTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kChannelCount;
}

int ChannelTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ChannelTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    return store_.record(index.row())[index.column()].value_or(QString());
}

bool ChannelTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (locked_ || role != Qt::EditRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return false;
    }
    const int row = index.row();
    const int column = index.column();

    // The cell being edited is on the grid's current row; make sure the store
    // agrees, so the typed text stays pending there like any edit of that row.
    store_.setCurrentRow(row);
    const QString text = column == kBeat ? normalisedBeat(value.toString()) : value.toString();
    if (!store_.setField(row, column, text)) {
        return false;
    }
    if (column != kReceive && column != kTransmit) {
        return true;
    }

    const ChannelRecord typed = store_.record(row);
    const EditResult result = applyCellEdit(typed, column);
    // The user acknowledges the message while the typed text is still showing;
    // only then does the field empty.
    if (result.message && messenger_) {
        messenger_(*result.message);
    }
    bool stored = true;
    for (int changed = 0; changed < kColumnCount; ++changed) {
        if (result.record[changed] != typed[changed]) {
            stored = store_.setField(row, changed, result.record[changed]) && stored;
        }
    }
    return stored;
}

Qt::ItemFlags ChannelTableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!locked_) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

QVariant ChannelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumnCount) {
        return kCaptions.at(static_cast<std::size_t>(section));
    }
    if (orientation == Qt::Vertical && section >= 0 && section < kChannelCount) {
        if (role == Qt::DisplayRole) {
            return section == store_.currentRow() ? QString::fromUtf16(kCurrentRowMarker)
                                                  : QString();
        }
        if (role == Qt::TextAlignmentRole) {
            return static_cast<int>(Qt::AlignCenter);
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ChannelTableModel::setLocked(bool locked) {
    locked_ = locked;
}

bool ChannelTableModel::isLocked() const {
    return locked_;
}

}  // namespace qm3270

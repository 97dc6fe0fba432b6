#include "ui/channel_grid.h"

#include "channels/channel_store.h"
#include "channels/channel_table_model.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace qm3270 {

namespace {

// The 拍频 cell is edited with the beat box's own three choices; a typed text
// is kept as typed (the model makes "ON" "on").
class BeatCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems({QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("  ")});
        box->setAccessibleName(QStringLiteral("拍频"));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setEditText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

}  // namespace

ChannelGrid::ChannelGrid(ChannelStore& store, ChannelTableModel& model, QWidget* parent)
    : QTableView(parent), store_(store) {
    setObjectName(QStringLiteral("DataGrid1"));
    setModel(&model);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Tab belongs to the window: it moves on to the squelch and beat boxes.
    setTabKeyNavigation(false);
    setItemDelegateForColumn(kBeat, new BeatCellDelegate(this));
    setAccessibleName(QStringLiteral("信道表"));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A click on the selected cell opens its editor on the release itself (see
    // mouseReleaseEvent), not through the view's own trigger for it: that one
    // waits a double-click interval first, and the keys typed meanwhile went to
    // the view's keyboard search, leaving an editor that later committed a stray
    // remnant of the number.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setCornerButtonEnabled(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionsClickable(true);

    // The view closes (and commits) an open editor before it reports the new
    // current cell, so the edit lands in the row being left and is committed
    // with it.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    store_.setCurrentRow(current.row());
                }
            });
    connect(&store_, &ChannelStore::currentRowChanged, this, &ChannelGrid::followStore);
}

void ChannelGrid::finishEditing() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

// The model runs the edit rules inside the commit, so comparing the table
// around it gives the whole effect of the edit (a receive frequency copied to
// the transmit column included).
void ChannelGrid::commitData(QWidget* editor) {
    const ChannelTable before = store_.records();
    QTableView::commitData(editor);
    const ChannelTable after = store_.records();
    for (int row = 0; row < kChannelCount; ++row) {
        const auto index = static_cast<std::size_t>(row);
        if (before.at(index) != after.at(index)) {
            Q_EMIT rowEdited(row, before.at(index), after.at(index));
        }
    }
}

void ChannelGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    switch (hint) {
        case QAbstractItemDelegate::EditNextItem:
            focusNextChild();
            break;
        case QAbstractItemDelegate::EditPreviousItem:
            focusPreviousChild();
            break;
        case QAbstractItemDelegate::SubmitModelCache:
            // Enter: the next channel, as in a spreadsheet; the last row stays.
            if (currentIndex().isValid() && currentIndex().row() + 1 < model()->rowCount()) {
                setCurrentIndex(currentIndex().siblingAtRow(currentIndex().row() + 1));
            }
            break;
        default:
            break;
    }
}

// Enter on a cell that is not being edited moves down as after an edit.
void ChannelGrid::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier && state() != QAbstractItemView::EditingState &&
        currentIndex().isValid()) {
        if (currentIndex().row() + 1 < model()->rowCount()) {
            setCurrentIndex(currentIndex().siblingAtRow(currentIndex().row() + 1));
        }
        return;
    }
    QTableView::keyPressEvent(event);
}

std::optional<ChannelGrid::Block> ChannelGrid::selectedBlock() const {
    const QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty()) {
        if (!currentIndex().isValid()) {
            return std::nullopt;
        }
        const QModelIndex c = currentIndex();
        return Block{c.row(), c.column(), c.row(), c.column()};
    }
    Block block{kChannelCount, kColumnCount, -1, -1};
    for (const QModelIndex& cell : cells) {
        block.top = std::min(block.top, cell.row());
        block.left = std::min(block.left, cell.column());
        block.bottom = std::max(block.bottom, cell.row());
        block.right = std::max(block.right, cell.column());
    }
    return block;
}

void ChannelGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool onSelected = event->button() == Qt::LeftButton &&
                            event->modifiers() == Qt::NoModifier && index.isValid() &&
                            index == currentIndex() && selectionModel()->isSelected(index) &&
                            state() != QAbstractItemView::EditingState;
    pressedSelected_ = onSelected ? QPersistentModelIndex(index) : QPersistentModelIndex();
    QTableView::mousePressEvent(event);
}

void ChannelGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool open = pressedSelected_.isValid() && index == pressedSelected_ &&
                      event->button() == Qt::LeftButton &&
                      state() != QAbstractItemView::EditingState;
    pressedSelected_ = QPersistentModelIndex();
    if (open) {
        edit(index);
    }
}

void ChannelGrid::followStore(int row) {
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    if (currentIndex().row() == row) {
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model()->index(row, column));
}

}  // namespace qm3270

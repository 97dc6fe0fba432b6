#include "ui/channel_grid.h"

#include "channels/channel_store.h"
#include "channels/channel_table_model.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace qm3270 {

ChannelGrid::ChannelGrid(ChannelStore& store, ChannelTableModel& model, QWidget* parent)
    : QTableView(parent), store_(store) {
    setObjectName(QStringLiteral("DataGrid1"));
    setModel(&model);
    setSelectionMode(QAbstractItemView::SingleSelection);
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

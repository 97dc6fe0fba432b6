#include "ui/grid_clipboard.h"

#include "channels/cell_values.h"
#include "channels/channel_store.h"
#include "channels/channel_table_model.h"
#include "channels/messages.h"
#include "ui/channel_grid.h"
#include "ui/message_presenter.h"
#include "ui/table_history.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace qm3270 {

GridClipboard::GridClipboard(ChannelGrid& grid, ChannelStore& store, TableHistory& history,
                             MessagePresenter& messages, QWidget* window)
    : QObject(&grid),
      grid_(grid),
      store_(store),
      history_(history),
      messages_(messages),
      window_(window) {
    grid.installEventFilter(this);
}

bool GridClipboard::eventFilter(QObject* watched, QEvent* event) {
    // An open cell editor keeps these keys for its own text.
    if (watched != &grid_ || event->type() != QEvent::KeyPress || grid_.isEditing()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        copy();
    } else if (key->matches(QKeySequence::Paste)) {
        paste();
    } else if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        deleteFrequencies();
    } else {
        return false;
    }
    return true;
}

void GridClipboard::copy() const {
    if (const auto block = grid_.selectedBlock()) {
        QApplication::clipboard()->setText(
            textFromCells(store_.records(), block->top, block->left, block->bottom, block->right));
    }
}

namespace {

// The cells go into the table as one step of the history, the current cell
// staying where it was; false when nothing could change.
bool putCells(ChannelStore& store, TableHistory& history, MessagePresenter& messages,
              QWidget* window, const QString& step, const QList<CellValue>& cells) {
    const CellsApplied applied = applyCellValues(store.records(), cells);
    // The user reads what was refused while the table still shows the old values.
    if (applied.refused) {
        messages.show(window, *applied.refused);
    }
    const auto undoStep = TableHistory::replacing(&history, step);
    if (!store.replaceColumns(applied.rows, {kChannelNumber, kReceive, kTransmit, kBeat})) {
        messages.show(window, channel_messages::databaseRefused(store.path(), store.lastError()));
        return false;
    }
    return true;
}

}  // namespace

void GridClipboard::paste() {
    const QModelIndex at = grid_.currentIndex();
    auto* model = qobject_cast<ChannelTableModel*>(grid_.model());
    if (!at.isValid() || model == nullptr || model->isLocked()) {
        return;
    }
    const auto cells = cellsFromText(QApplication::clipboard()->text(), at.row(), at.column());
    if (const auto* refused = std::get_if<UserMessage>(&cells)) {
        messages_.show(window_, *refused);
        return;
    }
    store_.commitPending();
    putCells(store_, history_, messages_, window_, QStringLiteral("粘贴"),
             std::get<QList<CellValue>>(cells));
}

void GridClipboard::deleteFrequencies() {
    const auto block = grid_.selectedBlock();
    auto* model = qobject_cast<ChannelTableModel*>(grid_.model());
    if (!block || model == nullptr || model->isLocked()) {
        return;
    }
    QList<CellValue> cells;
    for (int row = block->top; row <= block->bottom; ++row) {
        for (const int column : {kReceive, kTransmit}) {
            if (column >= block->left && column <= block->right) {
                cells.append({row, column, QString()});
            }
        }
    }
    if (cells.isEmpty()) {
        return;
    }
    store_.commitPending();
    putCells(store_, history_, messages_, window_, QStringLiteral("删除"), cells);
}

}  // namespace qm3270

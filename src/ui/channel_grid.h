#pragma once

#include "channels/channel_record.h"

#include <QPersistentModelIndex>
#include <QTableView>

#include <optional>

namespace qm3270 {

class ChannelStore;
class ChannelTableModel;

// DataGrid1: the channel table edited in place. The row the user selects is the
// store's current row, and a row chosen by the program is selected here; leaving
// a row commits its pending edit in the store.
class ChannelGrid : public QTableView {
    Q_OBJECT

public:
    ChannelGrid(ChannelStore& store, ChannelTableModel& model, QWidget* parent = nullptr);

    // Puts what is in an open cell editor into the row and closes the editor, so
    // that a pass over the table or the exit sees what the user typed.
    void finishEditing();
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // The selected cells as a block, top left to bottom right; none without a
    // selection. Only a contiguous block can be selected.
    struct Block {
        int top;
        int left;
        int bottom;
        int right;
    };
    std::optional<Block> selectedBlock() const;

Q_SIGNALS:
    // A cell edit was accepted and its rules ran: the row before and after.
    void rowEdited(int row, const qm3270::ChannelRecord& before,
                   const qm3270::ChannelRecord& after);

protected Q_SLOTS:
    void commitData(QWidget* editor) override;
    // Tab and Shift+Tab end an edit and leave the grid; Enter ends it and
    // moves one row down.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followStore(int row);

    ChannelStore& store_;
    QPersistentModelIndex pressedSelected_;  // the press landed on the selected cell
};

}  // namespace qm3270

#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

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

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void followStore(int row);

    ChannelStore& store_;
    QPersistentModelIndex pressedSelected_;  // the press landed on the selected cell
};

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"

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

Q_SIGNALS:
    // A cell edit was accepted and its rules ran: the row before and after.
    void rowEdited(int row, const qm3270::ChannelRecord& before,
                   const qm3270::ChannelRecord& after);

protected Q_SLOTS:
    void commitData(QWidget* editor) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void followStore(int row);

    ChannelStore& store_;
    QPersistentModelIndex pressedSelected_;  // the press landed on the selected cell
};

}  // namespace qm3270

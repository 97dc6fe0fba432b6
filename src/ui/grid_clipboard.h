#pragma once

#include <QObject>

class QWidget;

namespace qm3270 {

class ChannelGrid;
class ChannelStore;
class MessagePresenter;
class TableHistory;

// The grid's keys for blocks of cells: Ctrl+C copies the selected cells as
// tab-separated text (what spreadsheets use), Ctrl+V pastes such text from
// the current cell on, Delete empties the selected frequency cells. Each value
// goes through the rules of a typed cell; a paste or a delete is one step of
// the history, and what the rules refuse is told once.
class GridClipboard : public QObject {
public:
    GridClipboard(ChannelGrid& grid, ChannelStore& store, TableHistory& history,
                  MessagePresenter& messages, QWidget* window);

    void copy() const;
    void paste();
    void deleteFrequencies();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChannelGrid& grid_;
    ChannelStore& store_;
    TableHistory& history_;
    MessagePresenter& messages_;
    QWidget* window_;
};

}  // namespace qm3270

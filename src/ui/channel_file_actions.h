#pragma once

#include <QString>

class QComboBox;
class QWidget;

namespace qm3270 {

class ChannelGrid;
class ChannelStore;
class FileChooser;
class MessagePresenter;
class TableHistory;

// 打开 and 保存: the channel file against the table and the squelch box. Both
// dialogs start with the name chosen last in either of them. An open is one
// step of the undo history.
class ChannelFileActions {
public:
    ChannelFileActions(ChannelStore& store, ChannelGrid& grid, QComboBox& squelch,
                       FileChooser& files, MessagePresenter& messages, TableHistory& history,
                       QWidget* window);

    void save();
    void open();

private:
    void beginPass();

    ChannelStore& store_;
    ChannelGrid& grid_;
    QComboBox& squelch_;
    FileChooser& files_;
    MessagePresenter& messages_;
    TableHistory& history_;  // an open is one step of it
    QWidget* window_;
    QString lastName_;
};

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"

#include <QString>

#include <optional>

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

    // What 打开 does once a file has been read, for every action that puts a
    // whole table in place: the editor's text and any pending edit are
    // committed first, then fields 1..3 of the 16 rows are replaced in one
    // transaction and, when `squelch` is given, the squelch text is set last;
    // `step` names the undo step (the action's objectName).
    // false: the database refused, the user has been told, nothing changed.
    bool replaceTable(const QString& step, const ChannelTable& rows,
                      const std::optional<QString>& squelch);

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

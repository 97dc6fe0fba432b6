#pragma once

#include "channels/channel_record.h"
#include "file/backup_folder.h"

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
// step of the undo history, and the table it replaces is kept as a backup.
// 恢复备份 is an open of a file chosen in the backup folder.
class ChannelFileActions {
public:
    ChannelFileActions(ChannelStore& store, ChannelGrid& grid, QComboBox& squelch,
                       FileChooser& files, MessagePresenter& messages, TableHistory& history,
                       QWidget* window);

    void save();
    void open();
    // 打开 with `name` chosen without the dialog (the program's command line).
    void openNamed(const QString& name);
    void restoreBackup();

    // What 打开 does once a file has been read, for every action that puts a
    // whole table in place: the editor's text and any pending edit are
    // committed first, the table and the squelch text as they are then are
    // saved as a `before` backup (not for a store in memory), then fields 1..3
    // of the 16 rows are replaced in one transaction and, when `squelch` is
    // given, the squelch text is set last; `step` names the undo step (the
    // action's objectName).
    // false: the backup could not be saved or the database refused; the user
    // has been told, nothing changed.
    bool replaceTable(const QString& step, BackupFolder::Event before, const ChannelTable& rows,
                      const std::optional<QString>& squelch);

private:
    void beginPass();
    void openFile(const QString& step, const QString& name);
    bool keepBackup(BackupFolder::Event event);

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

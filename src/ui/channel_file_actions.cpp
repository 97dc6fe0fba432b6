#include "ui/channel_file_actions.h"

#include "channels/channel_store.h"
#include "channels/messages.h"
#include "file/channel_file.h"
#include "ui/channel_grid.h"
#include "ui/file_chooser.h"
#include "ui/message_presenter.h"
#include "ui/table_history.h"

#include <QComboBox>

#include <variant>

namespace qm3270 {

ChannelFileActions::ChannelFileActions(ChannelStore& store, ChannelGrid& grid, QComboBox& squelch,
                                       FileChooser& files, MessagePresenter& messages,
                                       TableHistory& history, QWidget* window)
    : store_(store),
      grid_(grid),
      squelch_(squelch),
      files_(files),
      messages_(messages),
      history_(history),
      window_(window) {}

// Both operations start with nothing left in an editor or pending, so the file
// holds what the user sees (and an open cannot be overwritten by an edit
// committed later). The current cell stays: the user keeps their place.
void ChannelFileActions::beginPass() {
    grid_.finishEditing();
    store_.commitPending();
}

void ChannelFileActions::save() {
    beginPass();
    const QString name = files_.chooseSave(window_, lastName_);
    if (name.isEmpty()) {
        return;
    }
    lastName_ = name;
    if (const auto failure = saveChannelFile(name, squelch_.currentText(), store_.records())) {
        messages_.show(window_, *failure);
    }
}

void ChannelFileActions::open() {
    beginPass();
    const QString name = files_.chooseOpen(window_, lastName_);
    if (name.isEmpty()) {
        return;
    }
    openNamed(name);
}

void ChannelFileActions::openNamed(const QString& name) {
    beginPass();
    lastName_ = name;
    openFile(QStringLiteral("打开"), name);
}

// The chosen backup has been read to be shown; it is read again, as 打开 reads
// a file, since it may have changed meanwhile. It does not become the name 保存 starts with: a save
// there would overwrite the very backup the user came back to.
void ChannelFileActions::restoreBackup() {
    beginPass();
    const QString name = files_.chooseBackup(window_, BackupFolder::forDatabase(store_.path()),
                                             {squelch_.currentText(), store_.records()});
    if (!name.isEmpty()) {
        openFile(QStringLiteral("恢复备份"), name);
    }
}

void ChannelFileActions::openFile(const QString& step, const QString& name) {
    auto result = readChannelFile(name);
    if (const auto* failure = std::get_if<UserMessage>(&result)) {
        messages_.show(window_, *failure);
        return;
    }
    const auto& file = std::get<ChannelFile>(result);
    replaceTable(step, BackupFolder::Event::BeforeOpen, file.rows, file.squelch);
}

// A store in memory is a throw-away table (the tests): it leaves no backups.
bool ChannelFileActions::keepBackup(BackupFolder::Event event) {
    const QString path = store_.path();
    if (path == QStringLiteral(":memory:")) {
        return true;
    }
    const auto saved =
        BackupFolder(BackupFolder::forDatabase(path))
            .save(event, squelch_.currentText(), store_.records(), QDateTime::currentDateTime());
    if (const auto* failure = std::get_if<UserMessage>(&saved)) {
        messages_.show(window_, *failure);
        return false;
    }
    return true;
}

bool ChannelFileActions::replaceTable(const QString& step, BackupFolder::Event before,
                                      const ChannelTable& rows,
                                      const std::optional<QString>& squelch) {
    beginPass();
    // The file has been read and checked by now, so a refused file leaves no
    // backup; a backup that cannot be kept stops the replacement, since it is
    // the only way back once the history is gone (another run, another day).
    if (!keepBackup(before)) {
        return false;
    }
    // One undo step for the rows and the squelch together; none when refused.
    const auto undoStep = TableHistory::replacing(&history_, step);
    if (!store_.replaceColumns(rows, {kReceive, kTransmit, kBeat})) {
        // The database refused the change (disk full, file gone read-only): the
        // table and the squelch box stay as they were, and the user must know.
        messages_.show(window_,
                       channel_messages::databaseRefused(store_.path(), store_.lastError()));
        return false;
    }
    // Last, so that the squelch box's own limit rule judges the new level.
    if (squelch) {
        squelch_.setEditText(*squelch);
    }
    return true;
}

}  // namespace qm3270

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

// Both operations start on row 1 with nothing left in an editor or pending, so
// the file holds what the user sees (and an open cannot be overwritten by an
// edit committed later).
void ChannelFileActions::beginPass() {
    grid_.finishEditing();
    store_.setCurrentRow(0);
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
    lastName_ = name;
    auto result = readChannelFile(name);
    if (const auto* failure = std::get_if<UserMessage>(&result)) {
        messages_.show(window_, *failure);
        return;
    }
    const auto& file = std::get<ChannelFile>(result);
    replaceTable(QStringLiteral("打开"), file.rows, file.squelch);
}

bool ChannelFileActions::replaceTable(const QString& step, const ChannelTable& rows,
                                      const std::optional<QString>& squelch) {
    beginPass();
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

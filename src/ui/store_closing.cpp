#include "ui/store_closing.h"

#include "channels/channel_store.h"
#include "channels/messages.h"
#include "file/backup_folder.h"
#include "ui/message_presenter.h"

#include <QSignalBlocker>

#include <variant>

namespace qm3270 {

void keepTableAtExit(ChannelStore& store, const QString& squelch, MessagePresenter& messages,
                     QWidget* window, const QDateTime& now) {
    {
        // A refusal now gets the exit's own message, which says where the
        // table went, not the one an edit gets on top of it.
        const QSignalBlocker quiet(store);
        if (store.commitPending()) {
            return;
        }
    }
    const QString reason = store.lastError();
    const BackupFolder backups(BackupFolder::forDatabase(store.path()));
    const auto saved = backups.save(BackupFolder::Event::Unsaved, squelch, store.records(), now);
    if (const auto* file = std::get_if<QString>(&saved)) {
        messages.show(window, channel_messages::tableKeptAsFile(*file, reason));
        return;
    }
    // Neither place takes the table: at least the user learns that the last
    // edits are not in the database, and why the backup failed too.
    const auto& failure = std::get<UserMessage>(saved);
    messages.show(window, channel_messages::databaseRefused(
                              store.path(), reason + QLatin1Char('\n') + failure.text +
                                                QLatin1Char('\n') + failure.detail));
}

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"

#include <QDateTime>
#include <QString>

#include <variant>

namespace qm3270 {

// The folder of automatic backups: before a read, an open or an import
// replaces the table, after a write that ended well, for a table the
// database refused at exit, and for what a radio held before a continuous
// write overwrote it, the table and the squelch text are kept here as a
// channel file named YYYYMMDD-HHMMSS-EVENT.doc. Only the newest kKept backups
// stay; other files in the folder are never touched.
class BackupFolder {
public:
    enum class Event { BeforeRead, BeforeOpen, BeforeImport, Written, Unsaved, BeforeWrite };

    static constexpr int kKept = 500;

    explicit BackupFolder(QString folder);

    // `backups/` beside the database file.
    static QString forDatabase(const QString& databasePath);

    const QString& folder() const { return folder_; }

    // Saves a backup taken at `now` (the folder is created when missing; an
    // existing backup is never replaced: a second one in the same second is
    // named ...-EVENT-2.doc, then -3, ...) and drops the oldest beyond kKept.
    // Returns the backup's path, or "备份无法保存，操作已取消：" + that path with
    // the system's reason as detail; nothing is then left behind.
    std::variant<QString, UserMessage> save(Event event, const QString& squelch,
                                            const ChannelTable& rows, const QDateTime& now) const;

private:
    void dropOldest(const QString& keep) const;

    QString folder_;
};

}  // namespace qm3270

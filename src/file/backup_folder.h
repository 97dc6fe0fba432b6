#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"
#include "file/channel_file.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
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

    // One backup as the user browses them: when, why in words ("读信道前"),
    // and its table, or the reason it cannot be read (then it cannot be restored).
    struct Entry {
        QString path;
        QDateTime time;
        QString event;
        std::variant<ChannelFile, UserMessage> content;
    };
    // Every backup in the folder, newest first (by the time in its name, then
    // its place within that second). A folder that does not exist: why there
    // is nothing to list.
    std::variant<QList<Entry>, UserMessage> list() const;

private:
    void dropOldest(const QString& keep) const;

    QString folder_;
};

}  // namespace qm3270

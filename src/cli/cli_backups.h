#pragma once

#include "channels/channel_record.h"
#include "file/backup_folder.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>

namespace qm3270::cli {

// Why a backup could not be saved: the backup's path and the system's reason.
struct BackupFailure {
    QString path;
    QString reason;
};

// The automatic backups of read and write: the window's backup folder beside
// the default database unless --backup-dir names another, none with
// --no-backup.
class CliBackups {
public:
    // --backup-dir DIR and --no-backup, for parser.addOptions().
    static QList<QCommandLineOption> options();
    // After parsing: the folder the options chose, or no backups at all.
    static CliBackups fromCommandLine(const QCommandLineParser& parser);

    // The folder the backups go to; empty when they are off.
    QString folder() const { return folder_ ? folder_->folder() : QString(); }

    // Saves the table as a backup of `event`; nothing when backups are off.
    std::optional<BackupFailure> save(BackupFolder::Event event, const QString& squelch,
                                      const ChannelTable& rows) const;

    // Before `path` is replaced by a read: its table as a "before-read" backup.
    // A path that holds no channel file (missing, or something else) holds no
    // table to keep, and needs none.
    std::optional<BackupFailure> saveBeforeOverwriting(const QString& path) const;

private:
    std::optional<BackupFolder> folder_;
};

}  // namespace qm3270::cli

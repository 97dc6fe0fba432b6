#include "cli/cli_backups.h"

#include "channels/channel_store.h"
#include "file/channel_file.h"
#include "file/messages.h"

#include <QDateTime>
#include <QFileInfo>

#include <variant>

namespace qm3270::cli {

namespace {

const QString kDirName = QStringLiteral("backup-dir");
const QString kOffName = QStringLiteral("no-backup");

}  // namespace

QList<QCommandLineOption> CliBackups::options() {
    return {
        {kDirName,
         QStringLiteral("Keep the automatic backups in DIR (default: %1).")
             .arg(BackupFolder::forDatabase(ChannelStore::defaultPath())),
         QStringLiteral("DIR")},
        {kOffName, QStringLiteral("Keep no automatic backup.")},
    };
}

CliBackups CliBackups::fromCommandLine(const QCommandLineParser& parser) {
    CliBackups backups;
    if (!parser.isSet(kOffName)) {
        backups.folder_.emplace(parser.isSet(kDirName)
                                    ? parser.value(kDirName)
                                    : BackupFolder::forDatabase(ChannelStore::defaultPath()));
    }
    return backups;
}

std::optional<BackupFailure> CliBackups::save(BackupFolder::Event event, const QString& squelch,
                                              const ChannelTable& rows) const {
    if (!folder_) {
        return std::nullopt;
    }
    const auto saved = folder_->save(event, squelch, rows, QDateTime::currentDateTime());
    if (const auto* message = std::get_if<UserMessage>(&saved)) {
        // The message is the window's: its fixed text, then the backup's path.
        const qsizetype prefix = QString::fromUtf16(file_messages::kBackupFailed).size();
        return BackupFailure{message->text.mid(prefix), message->detail};
    }
    return std::nullopt;
}

std::optional<BackupFailure> CliBackups::saveBeforeOverwriting(const QString& path) const {
    if (!folder_ || !QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    const auto old = readChannelFile(path);
    if (const auto* file = std::get_if<ChannelFile>(&old)) {
        return save(BackupFolder::Event::BeforeRead, file->squelch, file->rows);
    }
    return std::nullopt;
}

}  // namespace qm3270::cli

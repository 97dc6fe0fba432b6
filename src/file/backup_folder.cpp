#include "file/backup_folder.h"

#include "file/channel_file.h"
#include "file/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>
#include <utility>

namespace qm3270 {

namespace {

QString eventName(BackupFolder::Event event) {
    switch (event) {
        case BackupFolder::Event::BeforeRead:
            return QStringLiteral("before-read");
        case BackupFolder::Event::BeforeOpen:
            return QStringLiteral("before-open");
        case BackupFolder::Event::BeforeImport:
            return QStringLiteral("before-import");
        case BackupFolder::Event::Written:
            return QStringLiteral("written");
        case BackupFolder::Event::Unsaved:
            return QStringLiteral("unsaved");
        case BackupFolder::Event::BeforeWrite:
            return QStringLiteral("before-write");
    }
    return QStringLiteral("unsaved");
}

// A backup's name: its time, its event, its place within that second.
const QRegularExpression& backupName() {
    static const QRegularExpression name(
        QStringLiteral("^(\\d{8}-\\d{6})-(?:before-read|before-open|before-import|written|unsaved|"
                       "before-write)(?:-(\\d+))?"
                       "\\.doc$"));
    return name;
}

UserMessage backupFailed(const QString& path, const QString& reason) {
    return {QString::fromUtf16(file_messages::kBackupFailed) + path,
            QString::fromUtf16(file_messages::kErrorTitle), UserMessage::Icon::Information, reason};
}

// Creates the folder and its parents; the system's reason when that fails.
std::optional<QString> makeFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), error);
    if (error) {
        return QString::fromLocal8Bit(error.message());
    }
    return std::nullopt;
}

}  // namespace

BackupFolder::BackupFolder(QString folder) : folder_(std::move(folder)) {}

QString BackupFolder::forDatabase(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backups"));
}

std::variant<QString, UserMessage> BackupFolder::save(Event event, const QString& squelch,
                                                      const ChannelTable& rows,
                                                      const QDateTime& now) const {
    const QDir dir(folder_);
    const QString stem = now.toString(QStringLiteral("yyyyMMdd-HHmmss-")) + eventName(event);
    const auto nameFor = [&](int place) {
        return dir.filePath(place == 1 ? stem + QStringLiteral(".doc")
                                       : QStringLiteral("%1-%2.doc").arg(stem).arg(place));
    };
    if (const auto reason = makeFolder(folder_)) {
        return backupFailed(nameFor(1), *reason);
    }
    // The name is taken by creating the file exclusively, so neither a backup
    // of the same second nor one made by another instance of the program at
    // that moment is ever replaced; the save then goes over that empty file.
    QString path;
    for (int place = 1;; ++place) {
        path = nameFor(place);
        QFile claim(path);
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            break;
        }
        if (!QFileInfo::exists(path)) {
            return backupFailed(path, claim.errorString());
        }
    }
    if (const auto reason = writeChannelFile(path, squelch, rows)) {
        QFile::remove(path);
        return backupFailed(path, *reason);
    }
    dropOldest(path);
    return path;
}

// Newest first by the time in the name, then by the place within the second.
// The backup just saved counts as the newest, even when the clock was set back
// and its name looks older than the rest.
void BackupFolder::dropOldest(const QString& keep) const {
    struct Backup {
        QString time;
        int place;
        QString path;
    };
    QList<Backup> others;
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({QStringLiteral("*.doc")}, QDir::Files)) {
        const QRegularExpressionMatch match = backupName().match(name);
        if (match.hasMatch() && dir.filePath(name) != keep) {
            const int place = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
            others.append({match.captured(1), place, dir.filePath(name)});
        }
    }
    if (others.size() < kKept) {
        return;
    }
    std::sort(others.begin(), others.end(), [](const Backup& a, const Backup& b) {
        return std::tie(a.time, a.place) > std::tie(b.time, b.place);
    });
    for (qsizetype k = kKept - 1; k < others.size(); ++k) {
        QFile::remove(others.at(k).path);
    }
}

}  // namespace qm3270

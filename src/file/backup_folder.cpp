#include "file/backup_folder.h"

#include "file/channel_file.h"
#include "file/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
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

// A backup's name: its time, its event, its place within that second. A
// backup of what a radio held before it was written is "before-write".
const QRegularExpression& backupName() {
    static const QRegularExpression name(QStringLiteral(
        "^(\\d{8}-\\d{6})-(before-read|before-open|before-import|before-write|written|unsaved)"
        "(?:-(\\d+))?\\.doc$"));
    return name;
}

QString eventWords(const QString& name) {
    static const std::array<std::pair<const char16_t*, const char16_t*>, 6> kWords{{
        {u"before-read", file_messages::kBeforeRead},
        {u"before-open", file_messages::kBeforeOpen},
        {u"before-import", file_messages::kBeforeImport},
        {u"before-write", file_messages::kBeforeWrite},
        {u"written", file_messages::kWritten},
        {u"unsaved", file_messages::kUnsaved},
    }};
    for (const auto& [event, words] : kWords) {
        if (name == QStringView(event)) {
            return QString::fromUtf16(words);
        }
    }
    return name;
}

// Newest first: by the time in the name, then by the place within the second.
struct Named {
    QString time;
    int place;
    QString event;
    QString path;
};
QList<Named> backupsIn(const QString& folder, const QString& except = {}) {
    QList<Named> found;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.doc")}, QDir::Files)) {
        const QRegularExpressionMatch match = backupName().match(name);
        if (match.hasMatch() && dir.filePath(name) != except) {
            const int place = match.captured(3).isEmpty() ? 1 : match.captured(3).toInt();
            found.append({match.captured(1), place, match.captured(2), dir.filePath(name)});
        }
    }
    std::sort(found.begin(), found.end(), [](const Named& a, const Named& b) {
        return std::tie(a.time, a.place) > std::tie(b.time, b.place);
    });
    return found;
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

// The backup just saved counts as the newest, even when the clock was set back
// and its name looks older than the rest.
void BackupFolder::dropOldest(const QString& keep) const {
    const QList<Named> others = backupsIn(folder_, keep);
    for (qsizetype k = kKept - 1; k < others.size(); ++k) {
        QFile::remove(others.at(k).path);
    }
}

std::variant<QList<BackupFolder::Entry>, UserMessage> BackupFolder::list() const {
    if (!QFileInfo(folder_).isDir()) {
        return UserMessage{QString::fromUtf16(file_messages::kNoBackups).arg(folder_),
                           QString::fromUtf16(file_messages::kErrorTitle),
                           UserMessage::Icon::Information};
    }
    QList<Entry> entries;
    for (const Named& backup : backupsIn(folder_)) {
        entries.append({backup.path,
                        QDateTime::fromString(backup.time, QStringLiteral("yyyyMMdd-HHmmss")),
                        eventWords(backup.event), readChannelFile(backup.path)});
    }
    return entries;
}

}  // namespace qm3270

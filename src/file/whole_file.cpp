#include "file/whole_file.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace qm3270 {

namespace {

// An I/O error or a full disk that the file system only admits when the data
// goes out (network and some copy-on-write file systems) shows here; QSaveFile
// syncs too, but ignores what the sync says.
std::optional<QString> syncToDisk(QSaveFile& file) {
#if defined(Q_OS_UNIX)
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != ENOTSUP) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
#else
    Q_UNUSED(file);
#endif
    return std::nullopt;
}

}  // namespace

std::variant<QByteArray, QString> readFileUpTo(const QString& path, qsizetype limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        return file.errorString();
    }
    return bytes;
}

std::optional<QString> writeFileWhole(const QString& path, const QByteArray& bytes) {
    // QSaveFile writes beside the target and renames only on commit(). But it
    // keeps a small write in its buffer, and commit() renames even when writing
    // that buffer out fails: on a full disk the old file was replaced by an
    // empty one and the save reported as done. So the file is written
    // unbuffered, every write checked (one that the disk cuts short is
    // retried for the rest, which then fails with the system's own reason),
    // and its error state read before commit() may rename anything.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0) {
            // Destroying the unfinished QSaveFile removes its temporary file.
            return file.errorString();
        }
        written += count;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        return file.errorString();
    }
    if (auto reason = syncToDisk(file)) {
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

}  // namespace qm3270

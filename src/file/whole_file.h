#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

namespace qm3270 {

// Reads at most `limit` + 1 bytes of the file at `path`: more than `limit`
// tells the caller the file is too large, and a device or a pipe that never
// ends cannot fill the memory. Returns the bytes, or the system's reason.
std::variant<QByteArray, QString> readFileUpTo(const QString& path, qsizetype limit);

// The one save behind every file this program writes (channel files for 保存,
// the command line, the backups and the simulator's memory; CSV exports): the
// whole of `bytes` or nothing. Returns the system's reason on failure; any old
// file at `path` is then left byte for byte as it was.
std::optional<QString> writeFileWhole(const QString& path, const QByteArray& bytes);

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

namespace qm3270 {

inline constexpr int kChannelFileValues = 49;
// 49 values are a few hundred bytes; anything this large is something else.
inline constexpr qint64 kChannelFileMaxBytes = qint64{64} * 1024;

// A channel file's content: the squelch text and, for each of the 16 rows,
// fields 1..3 (field 0 is Null: the file does not carry channel numbers).
struct ChannelFile {
    QString squelch;
    ChannelTable rows;
};

// The exact text that saving writes: 49 comma-terminated values on one line,
// Null as "Null", inside double quotes a value holding ',', '"' or a line break,
// and a field whose blanks lead or trail other text (" on").
QString formatChannelFile(const QString& squelch, const ChannelTable& rows);

// Reads a whole file's bytes (UTF-8; else GB18030; else Latin-1): values split
// at ',' or line ends, leading blanks skipped, quotes removed (the blanks inside
// kept), then numbers formatted "###.00000", empty values as "". Fewer than 49
// values, more than kChannelFileMaxBytes, or a control byte other than a line
// end or a tab: "文件格式错误，未读入数据！", refused as a whole.
std::variant<ChannelFile, UserMessage> parseChannelFile(const QByteArray& bytes);

// From a path, refusing a large file by its size before reading it; the file
// that cannot be read gets "文件无法打开！" with the system's reason as detail.
std::variant<ChannelFile, UserMessage> readChannelFile(const QString& path);

// The one save behind every writer of channel files (保存, the command line,
// the backups, the simulator's memory): whole or not at all. Returns the
// system's reason on failure; any old file is then left byte for byte as it was.
std::optional<QString> writeChannelFile(const QString& path, const QString& squelch,
                                        const ChannelTable& rows);

// writeChannelFile() with its failure as the user sees it: "文件保存失败！" and
// a line with the system's reason.
std::optional<UserMessage> saveChannelFile(const QString& path, const QString& squelch,
                                           const ChannelTable& rows);

}  // namespace qm3270

#pragma once

#include "channels/user_message.h"

// The channel table's fixed user texts.
namespace qm3270::channel_messages {

inline constexpr char16_t kOutOfRange[] = u"数据超出范围 ！！";
inline constexpr char16_t kOutOfRangeTitle[] = u"错误警告 ";
// Cells typed or pasted at once: one line of the range message's detailed
// text for each value it refused ("%1" the channel, "%2" the field, "%3" the value).
inline constexpr char16_t kRefusedCell[] = u"第 %1 信道%2“%3”";
inline constexpr char16_t kReceiveName[] = u"接收频率";
inline constexpr char16_t kTransmitName[] = u"发送频率";
// A paste that cannot go into the grid; the reason is its detailed text.
inline constexpr char16_t kPasteRefused[] = u"无法粘贴，信道表未改变！";
inline constexpr char16_t kPasteEmpty[] = u"剪贴板中没有文字";
inline constexpr char16_t kPasteNotATable[] = u"剪贴板中的文字不是表格：各行的值个数不同";
inline constexpr char16_t kPasteTooLarge[] =
    u"剪贴板中的表格有 %1 行 %2 列，从当前单元格起只有 %3 行 %4 列";

inline constexpr char16_t kSquelchTooHigh[] = u"静燥级别不可大于 9 ！！！";
inline constexpr char16_t kSquelchTooHighTitle[] = u"错误警告";

inline constexpr char16_t kDatabaseUnusable[] = u"数据库文件无法打开：";
inline constexpr char16_t kDatabaseUnusableTitle[] = u"错误警告 ";

inline constexpr char16_t kDatabaseRefused[] = u"信道数据无法写入数据库：";
inline constexpr char16_t kDatabaseRefusedTitle[] = u"错误警告 ";

inline constexpr char16_t kTableKeptAsFile[] = u"信道数据未能写入数据库，已另存为：";
inline constexpr char16_t kTableKeptAsFileTitle[] = u"错误警告 ";

// The database at `path` cannot be opened.
inline UserMessage databaseUnusable(const QString& path) {
    return {QString::fromUtf16(kDatabaseUnusable) + path,
            QString::fromUtf16(kDatabaseUnusableTitle), UserMessage::Icon::Information};
}

// The database at `path` refused to take a change (read-only, full, locked);
// `reason` is SQLite's.
inline UserMessage databaseRefused(const QString& path, const QString& reason) {
    return {QString::fromUtf16(kDatabaseRefused) + path, QString::fromUtf16(kDatabaseRefusedTitle),
            UserMessage::Icon::Information, reason};
}

// At exit the database still refused the table, which was saved as the
// channel file `file` instead.
inline UserMessage tableKeptAsFile(const QString& file, const QString& reason) {
    return {QString::fromUtf16(kTableKeptAsFile) + file, QString::fromUtf16(kTableKeptAsFileTitle),
            UserMessage::Icon::Information, reason};
}

}  // namespace qm3270::channel_messages

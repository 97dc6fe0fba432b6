#pragma once

#include "channels/user_message.h"

// The channel table's fixed user texts.
namespace qm3270::channel_messages {

inline constexpr char16_t kOutOfRange[] = u"数据超出范围 ！！";
inline constexpr char16_t kOutOfRangeTitle[] = u"错误警告 ";

inline constexpr char16_t kSquelchTooHigh[] = u"静燥级别不可大于 9 ！！！";
inline constexpr char16_t kSquelchTooHighTitle[] = u"错误警告";

inline constexpr char16_t kDatabaseUnusable[] = u"数据库文件无法打开：";
inline constexpr char16_t kDatabaseUnusableTitle[] = u"错误警告 ";

// The database at `path` cannot be opened, or refused to take a change.
inline UserMessage databaseUnusable(const QString& path) {
    return {QString::fromUtf16(kDatabaseUnusable) + path,
            QString::fromUtf16(kDatabaseUnusableTitle), UserMessage::Icon::Information};
}

}  // namespace qm3270::channel_messages

#pragma once

// The channel table's fixed user texts.
namespace qm3270::channel_messages {

inline constexpr char16_t kOutOfRange[] = u"数据超出范围 ！！";
inline constexpr char16_t kOutOfRangeTitle[] = u"错误警告 ";

inline constexpr char16_t kSquelchTooHigh[] = u"静燥级别不可大于 9 ！！！";
inline constexpr char16_t kSquelchTooHighTitle[] = u"错误警告";

}  // namespace qm3270::channel_messages

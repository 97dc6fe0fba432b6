#pragma once

#include <QString>

// What a continuous write says: on the status line, in the operations log
// (one line a radio) and in the window's status bar.
namespace qm3270::continuous_messages {

inline constexpr char16_t kNextRadio[] = u"请换下一台对讲机...";
// "%1" is the radio's number in this run, from 1.
inline constexpr char16_t kRadio[] = u"第 %1 台：";
inline constexpr char16_t kVerified[] = u"写入并校验正确";
inline constexpr char16_t kNotRead[] = u"读数错误！！（未写入）";
// "%1" radios ended well, "%2" did not.
inline constexpr char16_t kCounts[] = u"连续写入：成功 %1 台，失败 %2 台";
// The operation's name in the operations log.
inline constexpr char16_t kOperation[] = u"连续写入";

inline QString counts(int succeeded, int failed) {
    return QString::fromUtf16(kCounts).arg(succeeded).arg(failed);
}

}  // namespace qm3270::continuous_messages

#pragma once

// The radio link's fixed user texts.
namespace qm3270::link_messages {

// A write whose data would address no channel or carry an impossible value.
// "%1" is the first bad row; the squelch level belongs to row 1.
inline constexpr char16_t kWriteRefused[] = u"第 %1 信道数据无效，未写入对讲机！";
inline constexpr char16_t kErrorTitle[] = u"错误警告 ";

// A read that timed out or brought anything but 16 digit frames.
inline constexpr char16_t kReadFailed[] = u"读数错误！！";

}  // namespace qm3270::link_messages

#pragma once

// The printed channel sheet's fixed texts.
namespace qm3270::sheet_messages {

inline constexpr char16_t kTitle[] = u"QM3270 信道表";
inline constexpr char16_t kDate[] = u"日期：";
inline constexpr char16_t kSquelch[] = u"静噪级别：";
// The grid's column captions.
inline constexpr char16_t kChannel[] = u"信道号";
inline constexpr char16_t kReceive[] = u"接收频率 (MHz)";
inline constexpr char16_t kTransmit[] = u"发送频率 (MHz)";
inline constexpr char16_t kBeat[] = u"拍频";

}  // namespace qm3270::sheet_messages

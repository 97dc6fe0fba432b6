#pragma once

#include "channels/user_message.h"

#include <QString>

// The radio link's fixed user texts.
namespace qm3270::link_messages {

// A write whose data would address no channel or carry an impossible value.
// "%1" is the first bad row; the squelch level belongs to row 1.
inline constexpr char16_t kWriteRefused[] = u"第 %1 信道数据无效，未写入对讲机！";
inline constexpr char16_t kErrorTitle[] = u"错误警告 ";

// A read that timed out or brought anything but 16 digit frames.
inline constexpr char16_t kReadFailed[] = u"读数错误！！";

// The line went away in the middle of a write.
inline constexpr char16_t kWriteInterrupted[] = u"串行端口出错，数据传送中断！";

// Port messages. The blanks and the full-width punctuation are the program's
// own and stay exactly so.
inline constexpr char16_t kPortTitle[] = u"系统信息";
// Start-up: COM1 is taken, the program moves on to COM2.
inline constexpr char16_t kFirstPortBusyAtStartUp[] = u"串行端口 1已被其它设备使用，请选择 COM2 ";
// Start-up: COM2 failed too; the program runs on without a port.
inline constexpr char16_t kSecondPortUnavailable[] =
    u"串行端口 2 也无法打开，请在“系统设置”中选择端口。";
// A device named by the user (command line or the dialog's other port); "%1" is its name.
inline constexpr char16_t kDeviceUnavailable[] =
    u"串行端口 %1 无法打开，请在“系统设置”中选择端口。";
// The port dialog's OK for " COM1" / " COM2" failed.
inline constexpr char16_t kFirstPortInUse[] = u"串行端口 1 已被使用 ";
inline constexpr char16_t kSecondPortInUse[] = u"串行端口 2 已被使用， ";
// A transfer was asked for while no port is open.
inline constexpr char16_t kPortNotOpen[] = u"串行端口未打开，请在“系统设置”中选择端口。";

inline UserMessage portMessage(const char16_t* text) {
    return {QString::fromUtf16(text), QString::fromUtf16(kPortTitle),
            UserMessage::Icon::Exclamation};
}
inline UserMessage deviceUnavailable(const QString& device) {
    UserMessage message = portMessage(kDeviceUnavailable);
    message.text = message.text.arg(device);
    return message;
}
inline UserMessage transferError(const char16_t* text) {
    return {QString::fromUtf16(text), QString::fromUtf16(kErrorTitle),
            UserMessage::Icon::Information};
}

}  // namespace qm3270::link_messages

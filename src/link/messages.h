#pragma once

#include "channels/user_message.h"
#include "link/port.h"

#include <QString>

// The radio link's fixed user texts.
namespace qm3270::link_messages {

// A write whose data would address no channel or carry an impossible value.
// "%1" is the first bad row; the squelch level belongs to row 1.
inline constexpr char16_t kWriteRefused[] = u"第 %1 信道数据无效，未写入对讲机！";
inline constexpr char16_t kErrorTitle[] = u"错误警告 ";

// A read that timed out or brought anything but 16 digit frames.
inline constexpr char16_t kReadFailed[] = u"读数错误！！";
// Its detailed text. "%1" is the device; then the characters that came back
// after the read command (all of them, late poll answers included).
inline constexpr char16_t kNoAnswerOnPort[] =
    u"端口 %1 上没有对讲机应答。请检查对讲机已开机、电缆已插好，"
    u"或在“系统设置”→“选择端口”中选择其它端口。";
// "%2" characters came, the "%3"rd of them "%4" is not a digit.
inline constexpr char16_t kAnswerNotDigit[] = u"端口 %1 上收到 %2 个字符，第 %3 个（%4）不是数字。";
// "%2" characters came, more than the 320 digits of an answer.
inline constexpr char16_t kAnswerTooLong[] = u"端口 %1 上收到 %2 个字符，多于应答的 320 个数字。";
// "%2" characters came, "%3" of them digits: the answer stopped short.
inline constexpr char16_t kAnswerTooShort[] =
    u"端口 %1 上收到 %2 个字符，其中 %3 个数字；应答应有 320 个数字。";

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

// Why a port would not open, as the detailed text of the port messages above;
// "%1" is the device, "%2" the group that owns it.
inline constexpr char16_t kNoSuchDevice[] = u"设备 %1 不存在。";
inline constexpr char16_t kDeviceBusy[] = u"设备 %1 正被其它程序使用。";
inline constexpr char16_t kDeviceForbidden[] =
    u"没有使用设备 %1 的权限：请把自己加入拥有它的用户组"
    u"（sudo usermod -aG %2 $USER），然后重新登录。";

inline QString openFailureDetail(const QString& device, const PortOpenFailure& failure) {
    switch (failure.kind) {
        case PortOpenFailure::Kind::Missing:
            return QString::fromUtf16(kNoSuchDevice).arg(device);
        case PortOpenFailure::Kind::Busy:
            return QString::fromUtf16(kDeviceBusy).arg(device);
        case PortOpenFailure::Kind::Permission:
            return QString::fromUtf16(kDeviceForbidden).arg(device, failure.group);
        case PortOpenFailure::Kind::Other:
            break;
    }
    return failure.reason;  // the system's words are all there is
}

inline UserMessage portMessage(const char16_t* text) {
    return {QString::fromUtf16(text), QString::fromUtf16(kPortTitle),
            UserMessage::Icon::Exclamation};
}
// A port message for a failed open, with the reason as its detail.
inline UserMessage portMessage(const char16_t* text, const QString& device,
                               const PortOpenFailure& failure) {
    UserMessage message = portMessage(text);
    message.detail = openFailureDetail(device, failure);
    return message;
}
inline UserMessage deviceUnavailable(const QString& device, const PortOpenFailure& failure) {
    UserMessage message = portMessage(kDeviceUnavailable, device, failure);
    message.text = message.text.arg(device);
    return message;
}
inline UserMessage transferError(const char16_t* text) {
    return {QString::fromUtf16(text), QString::fromUtf16(kErrorTitle),
            UserMessage::Icon::Information};
}

}  // namespace qm3270::link_messages

#pragma once

#include "channels/user_message.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the radio session says on the status line and in its messages.
namespace qm3270::session_messages {

// The status line.
inline constexpr char16_t kWriting[] = u"正在传送数据,,,,,,,";
inline constexpr char16_t kWriteDone[] = u"数据传送完毕...";
inline constexpr char16_t kReadDone[] = u"读出信道数据完毕！";
inline constexpr char16_t kRadioReady[] = u"对讲机就绪...";
inline constexpr char16_t kVerifying[] = u"正在校验数据,,,,,,,";
inline constexpr char16_t kVerified[] = u"校验正确";

// The radio holds something else than what was written; "%1" names the
// channels, joined by "、".
inline constexpr char16_t kVerifyDiffers[] = u"校验错误：第 %1 信道与信道表不一致！";
inline constexpr char16_t kVerifyFailed[] =
    u"校验失败：对讲机无应答或数据有误，请检查连接后重新写入！";
inline constexpr char16_t kErrorTitle[] = u"错误警告 ";

// `channels` are 1-based, in order.
inline UserMessage verifyDiffers(const QList<int>& channels) {
    QStringList numbers;
    for (const int channel : channels) {
        numbers << QString::number(channel);
    }
    return {QString::fromUtf16(kVerifyDiffers).arg(numbers.join(u'、')),
            QString::fromUtf16(kErrorTitle), UserMessage::Icon::Information};
}

// `detail` is the line's own reason, when there is one.
inline UserMessage verifyFailed(const QString& detail) {
    return {QString::fromUtf16(kVerifyFailed), QString::fromUtf16(kErrorTitle),
            UserMessage::Icon::Information, detail};
}

}  // namespace qm3270::session_messages

// The port's part of the status bar, and what start-up and a returning line
// have to tell about the port.
namespace qm3270::port_messages {

inline constexpr char16_t kOpen[] = u"端口：%1";
inline constexpr char16_t kOpenWithCable[] = u"端口：%1（%2）";  // the cable's description
inline constexpr char16_t kNotOpen[] = u"端口：未打开";
inline constexpr char16_t kLost[] = u"端口：%1（已断开）";
inline constexpr char16_t kSimulated[] = u"端口：模拟对讲机";

// Start-up did not take the remembered port, or the one cable plugged in.
inline constexpr char16_t kRememberedMissing[] = u"记住的端口 %1 不存在";
// "%2": what is there now.
inline constexpr char16_t kRememberedOtherDevice[] = u"记住的端口 %1 现在是另一个设备：%2，未打开";
inline constexpr char16_t kUnusable[] = u"端口 %1 无法打开：%2";
// Something came back under the lost port's name, but not the lost cable.
inline constexpr char16_t kOtherCableBack[] = u"%1 上现在是另一个设备（%2），未重新打开";

// The settings file cannot be read: "%1" its path, the detail Qt's reason.
inline constexpr char16_t kSettingsUnreadable[] =
    u"设置文件 %1 无法读取：本次不会记住端口，文件保持原样。";
inline constexpr char16_t kSettingsAccess[] = u"无法访问该文件。";
inline constexpr char16_t kSettingsFormat[] = u"文件格式有误。";
inline constexpr char16_t kTitle[] = u"系统信息";

}  // namespace qm3270::port_messages

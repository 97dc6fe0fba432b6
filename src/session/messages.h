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
// One line of its detailed text per differing channel: "%1" the channel, "%2"
// the table's values, "%3" the radio's (receive, transmit, beat; for channel 1
// the squelch level first).
inline constexpr char16_t kVerifyDifference[] = u"第 %1 信道：信道表“%2”，对讲机“%3”";
inline constexpr char16_t kSquelchAndValues[] = u"静噪级别 %1，%2";

// `channels` are 1-based, in order; `differences` one line for each.
inline UserMessage verifyDiffers(const QList<int>& channels, const QStringList& differences) {
    QStringList numbers;
    for (const int channel : channels) {
        numbers << QString::number(channel);
    }
    return {QString::fromUtf16(kVerifyDiffers).arg(numbers.join(u'、')),
            QString::fromUtf16(kErrorTitle), UserMessage::Icon::Information,
            differences.join(u'\n')};
}

// `detail` is the line's own reason, when there is one.
inline UserMessage verifyFailed(const QString& detail) {
    return {QString::fromUtf16(kVerifyFailed), QString::fromUtf16(kErrorTitle),
            UserMessage::Icon::Information, detail};
}

}  // namespace qm3270::session_messages

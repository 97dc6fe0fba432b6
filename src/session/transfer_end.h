#pragma once

#include "channels/user_message.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qm3270 {

// How one transfer of the radio session ended, for whatever keeps account of
// them: the continuous write, the operations log.
struct TransferEnd {
    enum class Kind {
        Read,       // 读信道: the radio's table into the channel table
        Write,      // 写信道
        Verify,     // the read-back after a write
        RadioRead,  // the radio's table into memory only (before a continuous write)
    };

    Kind kind = Kind::Read;
    // None: it went well and `status` is what the status line said.
    std::optional<UserMessage> failure;
    QString status;
    // A verify that found the radio holding something else: those channels (1..16).
    QList<int> differing;
    // A radio read that went well: the 16 frames it brought.
    QStringList frames;

    // The line the log shows for it: the status text, or the message's text.
    QString resultText() const { return failure ? failure->text : status; }
};

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"

#include <QStringList>

#include <variant>

namespace qm3270 {

// The first row that cannot be sent (1-based; the squelch level counts as row 1)
// and the message that says so.
struct RefusedRow {
    int row = 0;
    UserMessage message;
};

// Builds the 16 frames of a write from the squelch text and the table, or
// refuses: every frame must be 20 digits, rows 2..16 must carry a whole channel
// number 1..16, and every programmed frequency must lie in 130..500 MHz. Row 1's
// channel number is not looked at (a write always sets it to "1").
std::variant<QStringList, RefusedRow> buildWriteFrames(const QString& squelchText,
                                                       const ChannelTable& rows);

}  // namespace qm3270

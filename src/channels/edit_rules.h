#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"

#include <optional>

namespace qm3270 {

inline constexpr double kLowestFrequencyMHz = 130.0;
inline constexpr double kHighestFrequencyMHz = 500.0;

// Puts a frequency onto the channel raster: a value whose nearest 10 Hz step lies
// on the 6.25 kHz or the 5 kHz raster becomes that step, anything else is cut
// down to the next lower multiple of 5 kHz (never rounded up).
double SnapFrequency(double megahertz);

struct EditResult {
    ChannelRecord record;                // the row after the rule ran
    std::optional<UserMessage> message;  // shown before the row changes, if any
};

// What happens to a row after the user's edit of `column` has been written into
// it: the frequency columns (1, 2) are cleared, range-checked, snapped and
// formatted, and a new receive frequency is copied to the transmit column. The
// channel-number and beat columns keep whatever was typed.
EditResult applyCellEdit(const ChannelRecord& row, int column);

// The squelch box's rule, run on every change of its text: a level above 9 gets
// this message and the text falls back to kSquelchFallback.
std::optional<UserMessage> squelchLimitMessage(const QString& squelchText);
inline constexpr char16_t kSquelchFallback[] = u"3";

}  // namespace qm3270

#include "link/write_data.h"

#include "channels/edit_rules.h"
#include "channels/numbers.h"
#include "link/frame_codec.h"
#include "link/messages.h"

#include <cmath>

namespace qm3270 {

namespace {

// A channel number addresses a channel of the radio only when the whole text
// is one number (blanks aside) with a whole value from 1 to 16: " 7", "7.0"
// and "+7" address channel 7. "7x" is refused although the encoder would read
// 7 from it: a stray character in that column is a typing slip the user should
// see, not something to send a guess for. Null and "" address nothing.
bool addressesAChannel(const Field& channelNumber) {
    if (!channelNumber) {
        return false;
    }
    const std::optional<double> value = numberValue(*channelNumber);
    return value && std::floor(*value) == *value && *value >= 1.0 &&
           *value <= frame::kFramesPerTransfer;
}

// Values from a file or an earlier read never passed the grid's range check.
bool frequencyAdmitted(const Field& megahertz) {
    const double value = megahertz ? leadingNumber(*megahertz) : 0.0;
    return value == 0.0 || (value >= kLowestFrequencyMHz && value <= kHighestFrequencyMHz);
}

bool isDigitFrame(const QString& frame) {
    if (frame.size() != frame::kFrameLength) {
        return false;
    }
    for (QChar c : frame) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

RefusedRow refuse(int row) {
    return {row,
            {QString::fromUtf16(link_messages::kWriteRefused).arg(row),
             QString::fromUtf16(link_messages::kErrorTitle), UserMessage::Icon::Information}};
}

}  // namespace

std::variant<QStringList, RefusedRow> buildWriteFrames(const QString& squelchText,
                                                       const ChannelTable& rows) {
    QStringList frames;
    for (int position = 1; position <= frame::kFramesPerTransfer; ++position) {
        const ChannelRecord& row = rows.at(static_cast<std::size_t>(position - 1));
        const QString encoded = frame::encodeFrame(position, row, squelchText);
        const bool numberOk = position == 1 || addressesAChannel(row[kChannelNumber]);
        if (!numberOk || !frequencyAdmitted(row[kReceive]) || !frequencyAdmitted(row[kTransmit]) ||
            !isDigitFrame(encoded)) {
            return refuse(position);
        }
        frames << encoded;
    }
    return frames;
}

}  // namespace qm3270

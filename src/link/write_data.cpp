#include "link/write_data.h"

#include "channels/edit_rules.h"
#include "channels/numbers.h"
#include "link/frame_codec.h"
#include "link/messages.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

bool digitsOnly(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isDigitFrame(const QString& frame) {
    return frame.size() == frame::kFrameLength && digitsOnly(frame);
}

RefusedRow refuse(int row, const QString& reason) {
    return {
        row,
        {QString::fromUtf16(link_messages::kWriteRefused).arg(row),
         QString::fromUtf16(link_messages::kErrorTitle), UserMessage::Icon::Information, reason}};
}

QString withValue(const char16_t* reason, const Field& value) {
    return QString::fromUtf16(reason).arg(value.value_or(QStringLiteral("Null")));
}

// Why the row cannot go to the radio, the first problem of its fields; none
// when it can.
std::optional<QString> rowProblem(int position, const ChannelRecord& row, const QString& squelch,
                                  const QString& encoded) {
    if (position != 1 && !addressesAChannel(row[kChannelNumber])) {
        const bool empty = !row[kChannelNumber] || row[kChannelNumber]->trimmed().isEmpty();
        return empty ? QString::fromUtf16(link_messages::kNoChannelNumber)
                     : withValue(link_messages::kBadChannelNumber, row[kChannelNumber]);
    }
    if (!frequencyAdmitted(row[kReceive])) {
        return withValue(link_messages::kReceiveOutOfBand, row[kReceive]);
    }
    if (!frequencyAdmitted(row[kTransmit])) {
        return withValue(link_messages::kTransmitOutOfBand, row[kTransmit]);
    }
    if (!isDigitFrame(encoded)) {
        // Frame 1 carries the squelch level in its first two digits.
        const QString header = frame::squelchHeader(squelch);
        if (position == 1 && (header.size() != 2 || !digitsOnly(header))) {
            return withValue(link_messages::kBadSquelch, squelch);
        }
        return QString::fromUtf16(link_messages::kBadFrame).arg(encoded);
    }
    return std::nullopt;
}

}  // namespace

std::variant<QStringList, RefusedRow> buildWriteFrames(const QString& squelchText,
                                                       const ChannelTable& rows) {
    QStringList frames;
    for (int position = 1; position <= frame::kFramesPerTransfer; ++position) {
        const ChannelRecord& row = rows.at(static_cast<std::size_t>(position - 1));
        const QString encoded = frame::encodeFrame(position, row, squelchText);
        if (const auto problem = rowProblem(position, row, squelchText, encoded)) {
            return refuse(position, *problem);
        }
        frames << encoded;
    }
    return frames;
}

}  // namespace qm3270

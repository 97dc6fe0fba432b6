#include "channels/edit_rules.h"

#include "channels/messages.h"
#include "channels/numbers.h"

#include <cmath>

namespace qm3270 {

namespace {

constexpr double kUnitsPerMHz = 100000.0;  // the radio counts in 10 Hz steps
constexpr double kRaster6250Hz = 625.0;
constexpr double kRaster5kHz = 500.0;

// The store keeps Null and the empty text apart; a cleared frequency is the empty text.
QString emptyText() {
    return QStringLiteral("");
}

double valueOf(const Field& field) {
    return field ? leadingNumber(*field) : 0.0;
}

bool outOfRange(double megahertz) {
    return megahertz < kLowestFrequencyMHz || megahertz > kHighestFrequencyMHz;
}

UserMessage outOfRangeMessage() {
    return {QString::fromUtf16(channel_messages::kOutOfRange),
            QString::fromUtf16(channel_messages::kOutOfRangeTitle), UserMessage::Icon::Information};
}

EditResult receiveEdited(const ChannelRecord& row) {
    EditResult result{row, std::nullopt};
    ChannelRecord& r = result.record;
    const double v = valueOf(row[kReceive]);
    if (v == 0.0) {
        r[kReceive] = emptyText();
        r[kTransmit] = emptyText();
    } else if (outOfRange(v)) {
        result.message = outOfRangeMessage();
        r[kReceive] = emptyText();
    } else {
        // A new receive frequency always becomes the transmit frequency too.
        const QString text = frequencyText(SnapFrequency(v));
        r[kReceive] = text;
        r[kTransmit] = text;
    }
    return result;
}

EditResult transmitEdited(const ChannelRecord& row) {
    EditResult result{row, std::nullopt};
    ChannelRecord& r = result.record;
    const double v = valueOf(row[kTransmit]);
    if (valueOf(row[kReceive]) == 0.0 || v == 0.0) {
        // A channel without a receive frequency gets no transmit frequency.
        r[kTransmit] = emptyText();
    } else if (outOfRange(v)) {
        result.message = outOfRangeMessage();
        r[kTransmit] = emptyText();
    } else {
        r[kTransmit] = frequencyText(SnapFrequency(v));
    }
    return result;
}

}  // namespace

double SnapFrequency(double megahertz) {
    // Round first: 145.0125 * 100000 is 14501249.999999998 in a double, and it
    // must count as the raster point it was typed as.
    const double units = std::nearbyint(megahertz * kUnitsPerMHz);
    if (std::fmod(units, kRaster6250Hz) == 0.0 || std::fmod(units, kRaster5kHz) == 0.0) {
        // The raster point itself, not the value given: 433.900005 lies on
        // 43390000, but written to five decimals it would become 433.90001,
        // a frequency the radio would then be programmed with. For anything
        // given to five decimals or fewer the two are the same number.
        return units / kUnitsPerMHz;
    }
    return std::floor(units / kRaster5kHz) * kRaster5kHz / kUnitsPerMHz;
}

EditResult applyCellEdit(const ChannelRecord& row, int column) {
    switch (column) {
        case kReceive:
            return receiveEdited(row);
        case kTransmit:
            return transmitEdited(row);
        default:
            return {row, std::nullopt};  // channel number and beat stay as typed
    }
}

std::optional<UserMessage> squelchLimitMessage(const QString& squelchText) {
    if (leadingNumber(squelchText.trimmed()) > 9.0) {
        return UserMessage{QString::fromUtf16(channel_messages::kSquelchTooHigh),
                           QString::fromUtf16(channel_messages::kSquelchTooHighTitle),
                           UserMessage::Icon::Information};
    }
    return std::nullopt;
}

}  // namespace qm3270

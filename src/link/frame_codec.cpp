#include "link/frame_codec.h"

#include "channels/numbers.h"

namespace qm3270::frame {

namespace {

constexpr double kUnitsPerMHz = 100000.0;  // the radio counts in 10 Hz steps
// The radio stores its receive frequencies less the 21.4 MHz intermediate frequency.
constexpr double kReceiveOffsetUnits = 2140000.0;
constexpr double kReceiveOffsetMHz = 21.4;
constexpr int kFieldLength = 8;

QString unprogrammedField() {
    return QStringLiteral("00000000");
}

// The radio keeps a frequency as four two-digit groups, least significant
// group first: c1..c8 travel as c7 c8 c5 c6 c3 c4 c1 c2. A short text gives
// only the characters it has; anything beyond eight characters is dropped.
// The same swap puts a received field back in order.
QString swapPairs(QStringView text) {
    QString out;
    for (qsizetype start : {6, 4, 2, 0}) {
        out += text.mid(start).left(2);
    }
    return out;
}

double valueOf(const Field& field) {
    return field ? leadingNumber(*field) : 0.0;
}

QString frequencyOf(QStringView field, double offsetMHz) {
    const double units = leadingNumber(swapPairs(field));
    if (units == 0.0) {
        return QStringLiteral("");
    }
    return frequencyText(units / kUnitsPerMHz + offsetMHz);
}

}  // namespace

QString squelchHeader(const QString& squelchText) {
    const QString level = squelchText.trimmed();
    if (leadingNumber(level) == 0.0) {
        return QStringLiteral("00");
    }
    return level.size() == 1 ? QLatin1Char('0') + level : level;
}

QString channelHeader(const Field& channelNumber) {
    // The radio numbers its channels from 0 in decimal: channel 11 is "10".
    const QString text = numberText(valueOf(channelNumber) - 1.0);
    return text.size() == 1 ? QLatin1Char('0') + text : text;
}

QString beatFlag(const Field& beat) {
    return beat == QStringLiteral("on") ? QStringLiteral("1") : QStringLiteral("0");
}

QString receiveField(const Field& receiveMHz) {
    const double megahertz = valueOf(receiveMHz);
    if (megahertz == 0.0) {
        return unprogrammedField();
    }
    QString digits = numberText(megahertz * kUnitsPerMHz - kReceiveOffsetUnits);
    if (digits.size() < kFieldLength) {
        digits.prepend(QLatin1Char('0'));  // one pad only, however short
    }
    return swapPairs(digits);
}

QString transmitField(const Field& transmitMHz) {
    const double megahertz = valueOf(transmitMHz);
    if (megahertz == 0.0) {
        return unprogrammedField();
    }
    return swapPairs(numberText(megahertz * kUnitsPerMHz));  // no padding here
}

QString assembleFrame(const QString& header, const QString& beat, const QString& receive,
                      const QString& transmit) {
    return (header + QLatin1Char('0') + beat).trimmed() + (receive + transmit).trimmed();
}

QString encodeFrame(int position, const ChannelRecord& row, const QString& squelchText) {
    const QString header =
        position == 1 ? squelchHeader(squelchText) : channelHeader(row[kChannelNumber]);
    return assembleFrame(header, beatFlag(row[kBeat]), receiveField(row[kReceive]),
                         transmitField(row[kTransmit]));
}

DecodedFrame decodeFrame(QStringView frame) {
    DecodedFrame decoded;
    ChannelRecord& record = decoded.record;
    record[kReceive] = frequencyOf(frame.mid(4).left(kFieldLength), kReceiveOffsetMHz);
    record[kTransmit] = frequencyOf(frame.mid(12).left(kFieldLength), 0.0);
    if (frame.mid(3).left(1) == u"1") {
        record[kBeat] = QStringLiteral("on");
    } else {
        // The radio has no "off": a programmed channel without the flag reads as off.
        record[kBeat] =
            leadingNumber(*record[kReceive]) != 0.0 ? QStringLiteral("off") : QStringLiteral("");
    }
    decoded.squelch = frame.mid(1).left(1).toString();
    return decoded;
}

DecodedTable decodeFrames(const QStringList& frames) {
    DecodedTable table;
    for (qsizetype k = 0; k < frames.size() && k < kFramesPerTransfer; ++k) {
        DecodedFrame decoded = decodeFrame(frames.at(k));
        if (k == 0) {
            table.squelch = decoded.squelch;
        }
        table.rows.at(static_cast<std::size_t>(k)) = std::move(decoded.record);
    }
    return table;
}

QList<int> differingChannels(const QStringList& sent, const QStringList& received) {
    QList<int> channels;
    for (int k = 0; k < kFramesPerTransfer; ++k) {
        if (k >= sent.size() || k >= received.size()) {
            channels << k + 1;
            continue;
        }
        const DecodedFrame wrote = decodeFrame(sent.at(k));
        const DecodedFrame got = decodeFrame(received.at(k));
        const bool squelchDiffers = k == 0 && wrote.squelch != got.squelch;
        if (wrote.record != got.record || squelchDiffers) {
            channels << k + 1;
        }
    }
    return channels;
}

}  // namespace qm3270::frame

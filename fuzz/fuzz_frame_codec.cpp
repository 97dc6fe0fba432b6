// The frame decoder on any text, and the round trip of a read followed by a
// write: what the radio sent, decoded into the table and encoded for a write,
// must decode to the same table, and must be the radio's own frames whenever
// those are frames a write could have sent.

#include "fuzz_check.h"
#include "link/frame_codec.h"
#include "link/write_data.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <variant>

namespace {

using namespace qm3270;

QStringList framesOf(const QString& text) {
    QStringList frames;
    for (qsizetype at = 0; at + frame::kFrameLength <= text.size(); at += frame::kFrameLength) {
        frames << text.mid(at, frame::kFrameLength);
    }
    return frames;
}

// The shape of the frames a write sends: frame 1 is "0" and the squelch digit,
// frame k (2..16) starts with k - 1 in two digits; then "0", the beat flag
// ("1" or "0") and the two frequency fields.
bool couldBeWritten(const QStringList& frames) {
    for (qsizetype k = 0; k < frames.size(); ++k) {
        const QString& f = frames.at(k);
        const QString header = k == 0 ? QLatin1Char('0') + f.mid(1, 1)
                                      : QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'));
        if (f.left(2) != header || f.at(2) != u'0' || (f.at(3) != u'0' && f.at(3) != u'1')) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Any text first: the decoder takes whatever the caller hands it.
    const QString raw =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    frame::decodeFrames(framesOf(raw));

    // Then digits, as the read's collector lets through: each byte as a digit,
    // "0".."9" as themselves.
    if (size < static_cast<std::size_t>(frame::kFrameLength * frame::kFramesPerTransfer)) {
        return 0;
    }
    QString digits;
    for (std::size_t i = 0; i < std::size_t{frame::kFrameLength * frame::kFramesPerTransfer}; ++i) {
        digits += QLatin1Char(static_cast<char>('0' + (data[i] - '0' + 260) % 10));
    }
    const QStringList received = framesOf(digits);
    const frame::DecodedTable table = frame::decodeFrames(received);

    // A write sends the table's rows under channel numbers 1..16.
    ChannelTable rows = table.rows;
    for (int k = 0; k < kChannelCount; ++k) {
        rows.at(static_cast<std::size_t>(k))[kChannelNumber] = QString::number(k + 1);
    }
    const auto written = buildWriteFrames(table.squelch, rows);
    const auto* sent = std::get_if<QStringList>(&written);
    if (sent == nullptr) {
        return 0;  // refused: a frequency outside 130..500 MHz, say
    }
    const frame::DecodedTable again = frame::decodeFrames(*sent);
    if (again.squelch != table.squelch || again.rows != table.rows) {
        fuzz::fail(
            "a written table reads back as the same table",
            QStringLiteral("received %1\nsent     %2").arg(received.join(u' '), sent->join(u' ')));
    }
    if (couldBeWritten(received) && *sent != received) {
        fuzz::fail(
            "writing back what was read sends the radio's own frames",
            QStringLiteral("received %1\nsent     %2").arg(received.join(u' '), sent->join(u' ')));
    }
    return 0;
}

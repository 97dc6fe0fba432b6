#include "cli/channel_compare.h"

#include "cli/cli_support.h"
#include "link/frame_codec.h"

namespace qm3270::cli {

namespace {

// One channel as a read stores it: receive, transmit and beat as in the file,
// and for channel 1 the squelch level that travels in its frame.
QString describe(const frame::DecodedFrame& decoded, int channel) {
    QStringList fields;
    for (const int column : {kReceive, kTransmit, kBeat}) {
        fields << decoded.record[column].value_or(QString());
    }
    QString text = fields.join(u',');
    if (channel == 1) {
        text.prepend(QStringLiteral("squelch %1, ").arg(decoded.squelch));
    }
    return text;
}

}  // namespace

int reportDifferences(const QStringList& sent, const QStringList& received, const QString& prefix) {
    int differences = 0;
    for (int k = 0; k < frame::kFramesPerTransfer; ++k) {
        const auto wrote = frame::decodeFrame(sent.at(k));
        const auto got = frame::decodeFrame(received.at(k));
        const bool squelchDiffers = k == 0 && wrote.squelch != got.squelch;
        if (wrote.record == got.record && !squelchDiffers) {
            continue;
        }
        ++differences;
        // The prefix is a device path: kept out of arg(), whatever it holds.
        printError(QStringLiteral("qm3270-cli: ") + prefix +
                   QStringLiteral("channel %1 differs: wrote \"%2\", read back \"%3\"\n")
                       .arg(k + 1)
                       .arg(describe(wrote, k + 1), describe(got, k + 1)));
    }
    return differences;
}

}  // namespace qm3270::cli

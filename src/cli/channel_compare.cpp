#include "cli/channel_compare.h"

#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/radio_line.h"
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
    // The same comparison as the window's verify after a write.
    const QList<int> channels = frame::differingChannels(sent, received);
    for (const int channel : channels) {
        const int k = channel - 1;
        // The prefix is a device path: kept out of arg(), whatever it holds.
        printError(QStringLiteral("qm3270-cli: ") + prefix +
                   QStringLiteral("channel %1 differs: wrote \"%2\", read back \"%3\"\n")
                       .arg(channel)
                       .arg(describe(frame::decodeFrame(sent.at(k)), channel),
                            describe(frame::decodeFrame(received.at(k)), channel)));
    }
    return static_cast<int>(channels.size());
}

Comparison compareWithRadio(RadioLine& line, const QStringList& sent, const QString& path,
                            const QString& what) {
    const auto answer = line.read();
    if (const auto* failure = std::get_if<QString>(&answer)) {
        return {fail(kRadioFailure, what, *failure),
                QStringLiteral("cannot %1: ").arg(what) + *failure};
    }
    const int differences = reportDifferences(sent, std::get<QStringList>(answer));
    if (differences > 0) {
        const QString summary =
            QStringLiteral("%1 of 16 channels differ from ").arg(differences) + path;
        printError(QStringLiteral("qm3270-cli: ") + summary + u'\n');
        return {kDifferent, QStringLiteral("cannot verify: ") + summary};
    }
    return {kSuccess, QStringLiteral("verified")};
}

int printResult(const QString& device, int status, const QString& result) {
    printOut(device + QStringLiteral(": ") + result + u'\n');
    return status;
}

}  // namespace qm3270::cli

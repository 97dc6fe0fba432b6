#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/radio_line.h"
#include "cli/write_check.h"
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

// Reports each channel that reads back other than it was written and
// returns how many did.
int reportDifferences(const QStringList& sent, const QStringList& received) {
    const QList<int> channels = frame::differingChannels(sent, received);
    for (const int channel : channels) {
        const int k = channel - 1;
        printError(
            QStringLiteral("qm3270-cli: channel %1 differs: wrote \"%2\", read back \"%3\"\n")
                .arg(channel)
                .arg(describe(frame::decodeFrame(sent.at(k)), channel),
                     describe(frame::decodeFrame(received.at(k)), channel)));
    }
    return static_cast<int>(channels.size());
}

int runWrite(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the channel file FILE into the radio, with the checks of 'frames': data the\n"
        "radio must not receive is refused (exit status 3) and nothing is sent."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption trace = traceOption();
    const QCommandLineOption verify(
        QStringLiteral("verify"),
        QStringLiteral("Read the radio back and name each channel that differs (exit status 5)."));
    parser.addOptions({port, trace, verify});
    addFileArgument(parser);
    if (const auto status = parseRadioCommandLine(parser, port, arguments, 1)) {
        return *status;
    }

    const QString path = parser.positionalArguments().constFirst();
    const auto opened = openChannelFile(path);
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const auto built =
        checkedWriteFrames(std::get<ChannelFile>(opened), QStringLiteral("write %1").arg(path));
    if (const int* status = std::get_if<int>(&built)) {
        return *status;
    }
    const auto& frames = std::get<QStringList>(built);

    RadioLine line;
    if (parser.isSet(trace) && !line.traceTo(parser.value(trace))) {
        return kBadInput;
    }
    if (!line.open(parser.value(port))) {
        return kRadioFailure;
    }
    if (const auto failure = line.write(frames)) {
        return fail(kRadioFailure, QStringLiteral("write the radio"), *failure);
    }
    if (!parser.isSet(verify)) {
        return kSuccess;
    }
    const auto answer = line.read();
    if (const auto* failure = std::get_if<QString>(&answer)) {
        return fail(kRadioFailure, QStringLiteral("read the radio back"), *failure);
    }
    const int differences = reportDifferences(frames, std::get<QStringList>(answer));
    if (differences > 0) {
        printError(QStringLiteral("qm3270-cli: %1 of 16 channels differ from %2\n")
                       .arg(differences)
                       .arg(path));
        return kDifferent;
    }
    return kSuccess;
}

}  // namespace

Command writeCommand() {
    return {"write", "write a channel file into the radio", runWrite};
}

}  // namespace qm3270::cli

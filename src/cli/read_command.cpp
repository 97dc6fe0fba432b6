#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/radio_line.h"
#include "file/channel_file.h"
#include "link/frame_codec.h"

namespace qm3270::cli {

namespace {

int runRead(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the radio's 16 channels and squelch level and prints the channel file that\n"
        "saving them would write. A failed read writes nothing (exit status 4).\n"
        "Exit status 2: bad input file, or the output file cannot be written (FILE is then\n"
        "left as it was)."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption trace = traceOption();
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Save the channel file as FILE (replaced only after a good read)."),
        QStringLiteral("FILE"));
    parser.addOptions({port, trace, output});
    if (const auto status = parseRadioCommandLine(parser, port, arguments, 0)) {
        return *status;
    }

    RadioLine line;
    if (parser.isSet(trace) && !line.traceTo(parser.value(trace))) {
        return kBadInput;
    }
    if (!line.open(parser.value(port))) {
        return kRadioFailure;
    }
    const auto answer = line.read();
    if (const auto* failure = std::get_if<QString>(&answer)) {
        return fail(kRadioFailure, QStringLiteral("read the radio"), *failure);
    }
    // What the window holds after a read of these frames.
    const frame::DecodedTable file = frame::decodeFrames(std::get<QStringList>(answer));

    if (parser.isSet(output)) {
        const QString path = parser.value(output);
        if (const auto message = saveChannelFile(path, file.squelch, file.rows)) {
            return fail(kBadInput, QStringLiteral("save %1").arg(path),
                        QString(message->text).replace(u'\n', u' '));
        }
        return kSuccess;
    }
    printOut(formatChannelFile(file.squelch, file.rows) + u'\n');
    return kSuccess;
}

}  // namespace

Command readCommand() {
    return {"read", "read the radio's channels into a channel file", runRead};
}

}  // namespace qm3270::cli

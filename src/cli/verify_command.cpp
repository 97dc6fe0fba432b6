#include "cli/channel_compare.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/radio_line.h"
#include "cli/write_check.h"

namespace qm3270::cli {

namespace {

int runVerify(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the radio and compares it with the channel file FILE as 'write --verify' does,\n"
        "without writing anything: each channel that differs is named on standard error,\n"
        "and one line on standard output says 'DEV: verified' or 'DEV: cannot ...'.\n"
        "Exit status 0: the radio holds FILE; 5: it differs; 4: the port or the radio failed;\n"
        "2 and 3: FILE cannot be read, or holds data that 'write' would refuse."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption trace = traceOption();
    parser.addOptions({port, trace});
    addFileArgument(parser);
    if (const auto status = parseRadioCommandLine(parser, port, arguments, 1)) {
        return *status;
    }
    if (parser.values(port).size() > 1) {
        return usageError(arguments, QStringLiteral("verify takes one --port"));
    }

    const QString path = parser.positionalArguments().constFirst();
    const auto opened = openChannelFile(path);
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    // What a write of FILE would send is what the radio must hold.
    const auto built =
        checkedWriteFrames(std::get<ChannelFile>(opened), QStringLiteral("verify %1").arg(path));
    if (const int* status = std::get_if<int>(&built)) {
        return *status;
    }
    const auto& frames = std::get<QStringList>(built);

    RadioLine line;
    const QString device = parser.value(port);
    if (const auto status = line.openTraced(device, parser.value(trace))) {
        return *status;
    }
    const Comparison compared =
        compareWithRadio(line, frames, path, QStringLiteral("read the radio"));
    return printResult(device, compared.status, compared.result);
}

}  // namespace

Command verifyCommand() {
    return {"verify", "compare the radio with a channel file, writing nothing", runVerify};
}

}  // namespace qm3270::cli

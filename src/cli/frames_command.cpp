#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/write_check.h"
#include "link/frame_codec.h"

namespace qm3270::cli {

namespace {

int runFrames(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the 16 frames that writing the channel file FILE to the radio would send,\n"
        "one per line. Data the radio must not receive is refused (exit status 3)."));
    const QCommandLineOption raw(QStringLiteral("raw"),
                                 QStringLiteral("Print whatever the encoder gives, unchecked."));
    parser.addOption(raw);
    const auto opened = parseAndOpenFile(parser, arguments);
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const auto& file = std::get<ChannelFile>(opened);

    QStringList frames;
    if (parser.isSet(raw)) {
        const ChannelTable rows = numberedByPosition(file.rows);
        for (int k = 0; k < kChannelCount; ++k) {
            frames << frame::encodeFrame(k + 1, rows.at(static_cast<std::size_t>(k)), file.squelch);
        }
    } else {
        auto built = checkedWriteFrames(file, QStringLiteral("build frames"));
        if (const int* status = std::get_if<int>(&built)) {
            return *status;
        }
        frames = std::get<QStringList>(std::move(built));
    }
    printOut(frames.join(u'\n') + u'\n');
    return kSuccess;
}

}  // namespace

Command framesCommand() {
    return {"frames", "print the 16 frames a write of a channel file would send", runFrames};
}

}  // namespace qm3270::cli

#include "channels/edit_rules.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "link/frame_codec.h"
#include "link/write_data.h"

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
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A channel file (.doc)."));
    if (const auto status = parseCommandLine(parser, arguments, 1)) {
        return *status;
    }

    const auto opened = openChannelFile(parser.positionalArguments().constFirst());
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const ChannelFile& file = std::get<ChannelFile>(opened);
    // The file carries no channel numbers: a write after opening it addresses
    // the rows by position.
    ChannelTable rows = file.rows;
    for (int k = 0; k < kChannelCount; ++k) {
        rows.at(static_cast<std::size_t>(k))[kChannelNumber] = QString::number(k + 1);
    }

    QStringList frames;
    if (parser.isSet(raw)) {
        for (int k = 0; k < kChannelCount; ++k) {
            frames << frame::encodeFrame(k + 1, rows.at(static_cast<std::size_t>(k)), file.squelch);
        }
    } else {
        if (const auto message = squelchLimitMessage(file.squelch)) {
            return fail(kRefused, QStringLiteral("build frames"), message->text);
        }
        auto built = buildWriteFrames(file.squelch, rows);
        if (const auto* refused = std::get_if<RefusedRow>(&built)) {
            return fail(kRefused, QStringLiteral("build frames"), refused->message.text);
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

#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/write_check.h"
#include "sheet/channel_sheet.h"
#include "sheet/fonts.h"

namespace qm3270::cli {

namespace {

int runPrint(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the printed channel sheet of the channel file DOC as a PDF file: the title,\n"
        "today's date, the squelch level and the 16 channels, as the window prints them."));
    parser.addPositionalArgument(QStringLiteral("DOC"), QStringLiteral("A channel file (.doc)."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The PDF file to write (required)."),
                                    QStringLiteral("FILE.pdf"));
    parser.addOption(output);
    if (const auto status = parseCommandLine(parser, arguments, 1)) {
        return *status;
    }
    if (!parser.isSet(output)) {
        return usageError(arguments, QStringLiteral("missing -o FILE.pdf"));
    }
    const auto opened = openChannelFile(parser.positionalArguments().constFirst());
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const auto& file = std::get<ChannelFile>(opened);

    installFontSubstitutions();
    // The file carries no channel numbers: the radio's channels are its rows.
    const ChannelSheet sheet{QDate::currentDate(), file.squelch, numberedByPosition(file.rows)};
    const QString target = parser.value(output);
    if (const auto reason = saveChannelSheetPdf(target, sheet)) {
        return fail(kBadInput, QStringLiteral("save %1").arg(target), *reason);
    }
    return kSuccess;
}

}  // namespace

Command printCommand() {
    return {"print", "write the printed channel sheet of a channel file as PDF", runPrint, true};
}

}  // namespace qm3270::cli

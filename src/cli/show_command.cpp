#include "cli/cli_command.h"
#include "cli/cli_support.h"

namespace qm3270::cli {

namespace {

constexpr qsizetype kColumnWidth = 11;

QString cell(const Field& field) {
    return (field ? *field : QStringLiteral("Null")).leftJustified(kColumnWidth);
}

int runShow(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the channel file FILE ('-': standard input) as a table."));
    const auto opened = parseAndOpenFile(parser, arguments);
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const auto& file = std::get<ChannelFile>(opened);

    QString text = QStringLiteral("squelch level: %1\n\n").arg(file.squelch);
    text += QStringLiteral("channel  receive    transmit   beat\n");
    for (int k = 0; k < kChannelCount; ++k) {
        const ChannelRecord& row = file.rows.at(static_cast<std::size_t>(k));
        text += QStringLiteral("%1  ").arg(k + 1, 7) + cell(row[kReceive]) + cell(row[kTransmit]) +
                (row[kBeat] ? *row[kBeat] : QStringLiteral("Null"));
        text = text.trimmed() + u'\n';
    }
    printOut(text);
    return kSuccess;
}

}  // namespace

Command showCommand() {
    return {"show", "print a channel file as a table", runShow};
}

}  // namespace qm3270::cli

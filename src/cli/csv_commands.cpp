#include "channels/edit_rules.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "file/channel_file.h"
#include "file/chirp_csv.h"
#include "file/messages.h"

namespace qm3270::cli {

namespace {

QCommandLineOption outputOption(const char* what) {
    return {
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Save %1 as FILE (standard output without it).").arg(QLatin1String(what)),
        QStringLiteral("FILE")};
}

// With -o FILE the result is saved through `save` (the window's own atomic
// save, whose message carries the system's reason on a second line); without
// it `text` goes to standard output.
template <typename Save>
int saveOrPrint(const QCommandLineParser& parser, const QCommandLineOption& output, Save save,
                const QString& text) {
    if (!parser.isSet(output)) {
        printOut(text);
        return kSuccess;
    }
    const QString target = parser.value(output);
    if (const std::optional<UserMessage> message = save(target)) {
        return fail(kBadInput, QStringLiteral("save %1").arg(target),
                    QString(message->text).replace(u'\n', u' '));
    }
    return kSuccess;
}

// Every reason on standard error; for a list that only needs fitting, a
// last line saying so. Returns the exit status.
int refuseImport(const QString& path, const CsvRefusal& refusal) {
    const QString what = QStringLiteral("import %1").arg(path);
    for (const CsvRefusal::Reason& reason : refusal.reasons) {
        fail(kRefused, what, reason.text);
    }
    if (refusal.fit) {
        fail(kRefused, what,
             QStringLiteral("the radio cannot hold the list as it stands; --fit imports the "
                            "first 16 channels it can hold and names the rows left out"));
    }
    return refusal.reasons.value(0).refusedData ? kRefused : kBadInput;
}

int runImportCsv(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the CHIRP CSV file CSV and prints the channel file that importing it in the\n"
        "window would give: locations 1-16, frequencies 130-500 MHz snapped as the grid snaps\n"
        "them, channels the file does not name unprogrammed, the squelch level from a\n"
        "'# squelch=N' line (else 3). A file that is not CHIRP CSV is refused with exit\n"
        "status 2, one the radio cannot take with exit status 3; every refused line is named.\n"
        "Values may be separated by commas or by tabs."));
    parser.addPositionalArgument(QStringLiteral("CSV"), QStringLiteral("A CHIRP CSV file."));
    const QCommandLineOption output = outputOption("the channel file");
    parser.addOption(output);
    const QCommandLineOption fit(
        QStringLiteral("fit"),
        QStringLiteral("For a list the radio cannot hold as it stands (locations outside 1-16,\n"
                       "more than 16 channels, frequencies outside 130-500 MHz): take the\n"
                       "rows it can hold in ascending location as channels 1-16, and name\n"
                       "every row left out on standard error."));
    parser.addOption(fit);
    if (const auto status = parseCommandLine(parser, arguments, 1)) {
        return *status;
    }

    const QString path = parser.positionalArguments().constFirst();
    const auto read = readChirpCsvBytes(path);
    if (const auto* reason = std::get_if<QString>(&read)) {
        return fail(kBadInput, QStringLiteral("open %1").arg(path), *reason);
    }
    const auto parsed = parseChirpCsv(std::get<QByteArray>(read));
    const CsvImport* imported = std::get_if<CsvImport>(&parsed);
    if (const auto* refusal = std::get_if<CsvRefusal>(&parsed)) {
        if (!refusal->fit || !parser.isSet(fit)) {
            return refuseImport(path, *refusal);
        }
        for (const QString& row : refusal->fit->leftOut) {
            printError(QStringLiteral("qm3270-cli: left out of %1: %2\n").arg(path, row));
        }
        imported = &refusal->fit->fitted;
    }
    // Without a squelch line the level is the squelch box's first one.
    const QString squelch = imported->squelch.value_or(QString::fromUtf16(kSquelchFallback));

    return saveOrPrint(
        parser, output,
        [&](const QString& target) { return saveChannelFile(target, squelch, imported->rows); },
        formatChannelFile(squelch, imported->rows) + u'\n');
}

int runExportCsv(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the channel file DOC as CHIRP CSV: one row per programmed channel, the\n"
        "squelch level on a first line '# squelch=N', CRLF line ends."));
    parser.addPositionalArgument(QStringLiteral("DOC"), QStringLiteral("A channel file (.doc)."));
    const QCommandLineOption output = outputOption("the CSV text");
    parser.addOption(output);
    if (const auto status = parseCommandLine(parser, arguments, 1)) {
        return *status;
    }
    const auto opened = openChannelFile(parser.positionalArguments().constFirst());
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const auto& file = std::get<ChannelFile>(opened);

    return saveOrPrint(
        parser, output,
        [&](const QString& target) { return saveChirpCsv(target, file.squelch, file.rows); },
        formatChirpCsv(file.squelch, file.rows));
}

}  // namespace

Command importCsvCommand() {
    return {"import-csv", "turn a CHIRP CSV file into a channel file", runImportCsv};
}

Command exportCsvCommand() {
    return {"export-csv", "turn a channel file into CHIRP CSV", runExportCsv};
}

}  // namespace qm3270::cli

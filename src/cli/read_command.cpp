#include "cli/cli_backups.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/radio_fleet.h"
#include "cli/radio_line.h"
#include "file/channel_file.h"
#include "link/frame_codec.h"

#include <QDir>
#include <QFileInfo>

#include <map>
#include <optional>

namespace qm3270::cli {

namespace {

// Saves a good read as `path`, after keeping the table `path` held as a backup:
// a backup that cannot be saved leaves `path` as it was. The failure comes back
// as the line to report ("cannot save backup PATH: reason").
std::optional<QString> saveRead(const QString& path, const frame::DecodedTable& file,
                                const CliBackups& backups) {
    if (const auto failure = backups.saveBeforeOverwriting(path)) {
        return QStringLiteral("cannot save backup %1: %2").arg(failure->path, failure->reason);
    }
    if (const auto message = saveChannelFile(path, file.squelch, file.rows)) {
        return QStringLiteral("cannot save %1: %2")
            .arg(path, QString(message->text).replace(u'\n', u' '));
    }
    return std::nullopt;
}

int readOne(const QString& device, const QString& trace, const std::optional<QString>& output,
            const CliBackups& backups) {
    RadioLine line;
    if (const auto status = line.openTraced(device, trace)) {
        return *status;
    }
    const auto answer = line.read();
    if (const auto* failure = std::get_if<QString>(&answer)) {
        return fail(kRadioFailure, QStringLiteral("read the radio"), *failure);
    }
    // What the window holds after a read of these frames.
    const frame::DecodedTable file = frame::decodeFrames(std::get<QStringList>(answer));

    if (output) {
        if (const auto failure = saveRead(*output, file, backups)) {
            printError(QStringLiteral("qm3270-cli: ") + *failure + u'\n');
            return kBadInput;
        }
        return kSuccess;
    }
    printOut(formatChannelFile(file.squelch, file.rows) + u'\n');
    return kSuccess;
}

// Every radio read at once, each into a file of its own in `folder`.
int readMany(const QStringList& devices, const QString& folder, const CliBackups& backups,
             const QStringList& arguments) {
    std::map<QString, QString> pathOf;  // device -> its file
    QStringList names;
    for (const QString& device : devices) {
        const QString name = portFileName(device);
        if (names.contains(name)) {
            return usageError(
                arguments,
                QStringLiteral("two ports would be saved as the same file %1").arg(name));
        }
        names << name;
        pathOf[device] = QDir(folder).filePath(name);
    }
    if (!QDir().mkpath(folder)) {
        return fail(kBadInput, QStringLiteral("create folder %1").arg(folder),
                    QStringLiteral("not a folder, or not writable"));
    }

    RadioFleet fleet(devices, QStringLiteral("reading"));
    fleet.openAll();
    for (RadioFleet::Radio* radio : fleet.running()) {
        radio->line.startRead([&, radio](const std::variant<QStringList, QString>& answer) {
            if (const auto* failure = std::get_if<QString>(&answer)) {
                fleet.finish(*radio, kRadioFailure,
                             QStringLiteral("cannot read the radio: ") + *failure);
                return;
            }
            const QString& path = pathOf.at(radio->device);
            const auto failure =
                saveRead(path, frame::decodeFrames(std::get<QStringList>(answer)), backups);
            if (failure) {
                fleet.finish(*radio, kBadInput, *failure);
                return;
            }
            fleet.finish(*radio, kSuccess, QStringLiteral("read into ") + path);
        });
    }
    fleet.waitForAll();
    fleet.printResults();
    return fleet.worstStatus();
}

int runRead(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the radio's 16 channels and squelch level and prints the channel file that\n"
        "saving them would write. A failed read writes nothing (exit status 4).\n"
        "Exit status 2: bad input file, or the output file cannot be written (FILE is then\n"
        "left as it was). Before -o replaces a channel file, its table is kept as a backup\n"
        "('before-read'); a backup that cannot be saved leaves FILE as it was (exit status 2).\n"
        "With several --port options every radio is read at once into its own file in the\n"
        "folder -o DIR (created when missing): the device's path below /dev with '/' made\n"
        "'-', + .doc ('/dev/pts/3' gives pts-3.doc), or the file name of a device elsewhere.\n"
        "One line per port says 'DEV: read into FILE' or 'DEV: cannot ...'; the exit status\n"
        "is the worst (highest) of theirs."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption trace = traceOption();
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Save the channel file as FILE (replaced only after a good read);\n"
                       "with several ports, the folder DIR for their files."),
        QStringLiteral("FILE"));
    parser.addOptions({port, trace, output});
    parser.addOptions(CliBackups::options());
    const auto ports = parsePorts(parser, port, trace, arguments, 0);
    if (const int* status = std::get_if<int>(&ports)) {
        return *status;
    }
    const auto& devices = std::get<QStringList>(ports);
    const CliBackups backups = CliBackups::fromCommandLine(parser);
    if (devices.size() == 1) {
        // A read takes seconds and the radio's answer would then be lost: a
        // folder where the file should go is told before anything is read.
        if (parser.isSet(output) && QFileInfo(parser.value(output)).isDir()) {
            return fail(kBadInput, QStringLiteral("save ") + parser.value(output),
                        QStringLiteral("it is a folder (with one --port, -o names a file)"));
        }
        return readOne(devices.constFirst(), parser.value(trace),
                       parser.isSet(output) ? std::optional(parser.value(output)) : std::nullopt,
                       backups);
    }
    if (!parser.isSet(output)) {
        return usageError(arguments, QStringLiteral("several ports need -o DIR"));
    }
    return readMany(devices, parser.value(output), backups, arguments);
}

}  // namespace

Command readCommand() {
    return {"read", "read the radio's channels into a channel file", runRead};
}

}  // namespace qm3270::cli

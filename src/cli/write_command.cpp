#include "cli/channel_compare.h"
#include "cli/cli_backups.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/radio_fleet.h"
#include "cli/radio_line.h"
#include "cli/write_check.h"
#include "cli/write_each.h"

#include <algorithm>

namespace qm3270::cli {

namespace {

// After a write that ended well the radio holds the table whatever happens to
// its backup: the write is not undone, but the missing backup must not pass
// unnoticed, so it is reported and the run ends with at least status 2.
int saveWrittenBackup(const CliBackups& backups, const ChannelFile& file, int status) {
    if (const auto failure = backups.save(BackupFolder::Event::Written, file.squelch, file.rows)) {
        printError(QStringLiteral("qm3270-cli: cannot save backup %1: %2 (the radio was written)\n")
                       .arg(failure->path, failure->reason));
        return std::max(status, static_cast<int>(kBadInput));
    }
    return status;
}

// One radio ends with the result line that each radio of several gets, beside
// the reasons on standard error.
int writeOne(const QString& device, const QString& trace, bool verify, const QString& path,
             const ChannelFile& file, const QStringList& frames, const CliBackups& backups) {
    RadioLine line;
    if (!trace.isEmpty() && !line.traceTo(trace)) {
        return kBadInput;
    }
    if (const auto reason = line.openPort(device)) {
        return printResult(device, fail(kRadioFailure, QStringLiteral("open ") + device, *reason),
                           QStringLiteral("cannot open: ") + *reason);
    }
    if (const auto failure = line.write(frames)) {
        return printResult(device, fail(kRadioFailure, QStringLiteral("write the radio"), *failure),
                           QStringLiteral("cannot write the radio: ") + *failure);
    }
    const int status = saveWrittenBackup(backups, file, kSuccess);
    if (!verify) {
        return printResult(device, status, QStringLiteral("written"));
    }
    const Comparison compared =
        compareWithRadio(line, frames, path, QStringLiteral("read the radio back"));
    return printResult(device, std::max(status, compared.status), compared.result);
}

// The same table into every radio at once: all writes start together, each
// radio's verify read starts as soon as its own write has ended.
int writeMany(const QStringList& devices, bool verify, const QString& path, const ChannelFile& file,
              const QStringList& frames, const CliBackups& backups) {
    RadioFleet fleet(devices, QStringLiteral("writing"));
    fleet.openAll();
    int written = 0;
    for (RadioFleet::Radio* radio : fleet.running()) {
        radio->line.startWrite(frames, [&, radio](const std::optional<QString>& writeFailure) {
            if (writeFailure) {
                fleet.finish(*radio, kRadioFailure,
                             QStringLiteral("cannot write the radio: ") + *writeFailure);
                return;
            }
            ++written;
            if (!verify) {
                fleet.finish(*radio, kSuccess, QStringLiteral("written"));
                return;
            }
            radio->line.startRead([&, radio](const std::variant<QStringList, QString>& answer) {
                if (const auto* failure = std::get_if<QString>(&answer)) {
                    fleet.finish(*radio, kRadioFailure,
                                 QStringLiteral("cannot read the radio back: ") + *failure);
                    return;
                }
                const int differences = reportDifferences(frames, std::get<QStringList>(answer),
                                                          radio->device + QStringLiteral(": "));
                if (differences > 0) {
                    fleet.finish(*radio, kDifferent,
                                 QStringLiteral("cannot verify: %1 of 16 channels differ from ")
                                         .arg(differences) +
                                     path);
                    return;
                }
                fleet.finish(*radio, kSuccess, QStringLiteral("verified"));
            });
        });
    }
    fleet.waitForAll();
    fleet.printResults();
    // One backup of the one table, however many radios took it.
    return written > 0 ? saveWrittenBackup(backups, file, fleet.worstStatus())
                       : fleet.worstStatus();
}

// --each drives one port; --count N needs a whole number from 1. Sets `radios`
// (0: no limit), or returns the exit status of a usage error.
std::optional<int> eachCount(const QStringList& arguments, const QCommandLineParser& parser,
                             const QCommandLineOption& count, const QStringList& devices,
                             int* radios) {
    *radios = 0;
    if (devices.size() > 1) {
        return usageError(arguments, QStringLiteral("--each writes the radios of one --port"));
    }
    if (!parser.isSet(count)) {
        return std::nullopt;
    }
    bool ok = false;
    *radios = parser.value(count).toInt(&ok);
    if (!ok || *radios < 1) {
        return usageError(arguments,
                          QStringLiteral("--count needs a whole number from 1 up, not \"%1\"")
                              .arg(parser.value(count)));
    }
    return std::nullopt;
}

int runWrite(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the channel file FILE into the radio, with the checks of 'frames': data the\n"
        "radio must not receive is refused (exit status 3) and nothing is sent.\n"
        "After a write that ended well the table is kept as a backup ('written'); a backup\n"
        "that cannot be saved is reported and gives exit status 2 (the radio is written).\n"
        "The radio never acknowledges a write, so it is read back and compared unless\n"
        "--no-verify is given: a radio that is switched off ends with exit status 4.\n"
        "With several --port options every radio is written at once, the file checked once\n"
        "before anything is sent. One line per port says 'DEV: written', 'DEV: verified'\n"
        "or 'DEV: cannot ...'; the exit status is the worst (highest) of theirs."));
    const QCommandLineOption port = portOption();
    const QCommandLineOption trace = traceOption();
    const QCommandLineOption verify(
        QStringLiteral("verify"),
        QStringLiteral("Read the radio back and name each channel that differs (exit status 5);\n"
                       "the default."));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      QStringLiteral("Do not read the radio back."));
    const QCommandLineOption each(
        QStringLiteral("each"),
        QStringLiteral("One radio after another on the one --port: wait for each radio to "
                       "answer, back up what it holds ('before-write'), write and verify it, "
                       "print 'radio N: ...', wait until it is switched off or unplugged, and "
                       "go on with the next. SIGINT or SIGTERM ends the run after the radio in "
                       "hand; the exit status is the worst of the radios'."));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("With --each: stop after N radios."),
                                   QStringLiteral("N"));
    parser.addOptions({port, trace, verify, noVerify, each, count});
    parser.addOptions(CliBackups::options());
    addFileArgument(parser);
    const auto ports = parsePorts(parser, port, trace, arguments, 1);
    if (const int* status = std::get_if<int>(&ports)) {
        return *status;
    }
    const auto& devices = std::get<QStringList>(ports);

    const QString path = parser.positionalArguments().constFirst();
    const auto opened = openChannelFile(path);
    if (const int* status = std::get_if<int>(&opened)) {
        return *status;
    }
    const auto& file = std::get<ChannelFile>(opened);
    const auto built = checkedWriteFrames(file, QStringLiteral("write %1").arg(path));
    if (const int* status = std::get_if<int>(&built)) {
        return *status;
    }
    const auto& frames = std::get<QStringList>(built);
    const CliBackups backups = CliBackups::fromCommandLine(parser);
    const bool verifying = !parser.isSet(noVerify);
    if (parser.isSet(count) && !parser.isSet(each)) {
        return usageError(arguments, QStringLiteral("--count needs --each"));
    }
    if (parser.isSet(each)) {
        // Nothing else tells a radio that missed its write from one that got it.
        if (!verifying) {
            return usageError(arguments, QStringLiteral("--each always reads each radio back; "
                                                        "--no-verify cannot be used with it"));
        }
        int radios = 0;
        if (const auto status = eachCount(arguments, parser, count, devices, &radios)) {
            return *status;
        }
        return writeEach(devices.constFirst(), parser.value(trace), file, backups,
                         radios > 0 ? std::optional<int>(radios) : std::nullopt);
    }
    if (devices.size() > 1) {
        return writeMany(devices, verifying, path, file, frames, backups);
    }
    return writeOne(devices.constFirst(), parser.value(trace), verifying, path, file, frames,
                    backups);
}

}  // namespace

Command writeCommand() {
    return {"write", "write a channel file into the radio", runWrite};
}

}  // namespace qm3270::cli

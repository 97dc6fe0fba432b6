// qm3270-radio: a QM3270 radio on a pseudo-terminal, for tests, demonstrations
// and anyone without a radio at hand.

#include "sim/pty_radio.h"
#include "sim/radio_memory.h"
#include "sim/radio_series.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace qm3270;

enum ExitStatus { kOk = 0, kUsage = 1, kBadMemory = 2, kLineFailure = 4 };

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

int fail(int status, const QString& message) {
    std::fprintf(stderr, "qm3270-radio: %s\n", qPrintable(message));
    return status;
}

// A count given on the command line: a whole number from 0 up.
bool readCount(const QCommandLineParser& parser, const QString& name, std::optional<int>* count,
               QString* error) {
    if (!parser.isSet(name)) {
        return true;
    }
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0) {
        *error = QStringLiteral("--%1 needs a whole number from 0 up, not \"%2\"")
                     .arg(name, parser.value(name));
        return false;
    }
    *count = value;
    return true;
}

// A whole number from `lowest` up, or why not (`what` names it).
std::optional<int> wholeNumber(const QString& text, int lowest, const QString& what,
                               QString* error) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest) {
        *error = QStringLiteral("%1 needs a whole number from %2 up, not \"%3\"")
                     .arg(what)
                     .arg(lowest)
                     .arg(text);
        return std::nullopt;
    }
    return value;
}

// One --radio K:FAULT[,FAULT...] of a line of `count` radios: the faults of
// radio K, added to `faults`. FAULT is off, stop-after=N, noise=TEXT or
// corrupt-channel=N, as the options of one radio.
bool readRadioFaults(const QString& given, int count, std::vector<RadioEngine::Faults>* faults,
                     QString* error) {
    const QString number = given.section(u':', 0, 0);
    const QString what = QStringLiteral("--radio %1").arg(given);
    const auto radio = wholeNumber(number, 1, QStringLiteral("--radio's radio"), error);
    if (!radio) {
        return false;
    }
    if (*radio > count || !given.contains(u':')) {
        *error = QStringLiteral("%1: needs K:FAULT with K from 1 to %2").arg(what).arg(count);
        return false;
    }
    RadioEngine::Faults& into = faults->at(static_cast<std::size_t>(*radio - 1));
    for (const QString& fault : given.section(u':', 1).split(u',')) {
        const QString name = fault.section(u'=', 0, 0);
        const QString value = fault.section(u'=', 1);
        if (name == QStringLiteral("off") && !fault.contains(u'=')) {
            into.off = true;
        } else if (name == QStringLiteral("noise")) {
            into.noise = value.toLatin1();
        } else if (name == QStringLiteral("stop-after")) {
            into.stopAfter = wholeNumber(value, 0, what, error);
            if (!into.stopAfter) {
                return false;
            }
        } else if (name == QStringLiteral("corrupt-channel")) {
            into.corruptChannel = wholeNumber(value, 1, what, error);
            if (!into.corruptChannel || *into.corruptChannel > RadioEngine::kFrameCount) {
                *error =
                    QStringLiteral("%1: corrupt-channel needs a channel from 1 to 16").arg(what);
                return false;
            }
        } else {
            *error = QStringLiteral(
                         "%1: no fault \"%2\" (off, stop-after=N, noise=TEXT, "
                         "corrupt-channel=N)")
                         .arg(what, fault);
            return false;
        }
    }
    return true;
}

// The radios of a line: each with the faults of the command line and its own,
// and its memory in DIR/radio-K.doc when a folder was given.
std::optional<std::vector<RadioSeries::Radio>> lineOfRadios(
    const std::vector<RadioEngine::Faults>& faults, const QString& folder, QString* error) {
    std::vector<RadioSeries::Radio> radios;
    for (std::size_t k = 0; k < faults.size(); ++k) {
        RadioSeries::Radio radio;
        radio.faults = faults.at(k);
        if (!folder.isEmpty()) {
            radio.memoryFile = QDir(folder).filePath(QStringLiteral("radio-%1.doc").arg(k + 1));
            if (QFileInfo::exists(radio.memoryFile)) {
                auto loaded = loadRadioMemory(radio.memoryFile);
                if (const auto* reason = std::get_if<QString>(&loaded)) {
                    *error = *reason;
                    return std::nullopt;
                }
                radio.memory = std::get<RadioEngine::Frames>(loaded);
            } else if (const auto failure = saveRadioMemory(radio.memoryFile, radio.memory)) {
                *error = *failure;
                return std::nullopt;
            }
        }
        radios.push_back(radio);
    }
    return radios;
}

// Puts a symlink at `linkPath` pointing to the device, replacing an old link
// (a stale one from a run that was killed) but never a real file.
bool makeLink(const QString& linkPath, const QString& device, QString* error) {
    const QFileInfo existing(linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        *error = QStringLiteral("cannot link %1: it exists and is not a symlink").arg(linkPath);
        return false;
    }
    const QByteArray temporary =
        QFile::encodeName(linkPath) + ".new" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(device).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), QFile::encodeName(linkPath).constData()) != 0) {
        *error = QStringLiteral("cannot link %1: %2").arg(linkPath, qt_error_string(errno));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void removeLink(const QString& linkPath, const QString& device) {
    if (!linkPath.isEmpty() && QFileInfo(linkPath).symLinkTarget() == device) {
        QFile::remove(linkPath);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qm3270-radio"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QM3270_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates a QM3270 radio on a pseudo-terminal at 1200 baud 8N1.\n"
                       "Prints the device path on the first line of standard output and serves\n"
                       "until terminated (or until --hang-up-after closes the line)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also make a symlink to the device at PATH."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption memory(
        QStringLiteral("memory"),
        QStringLiteral("Keep the radio's memory in the channel file FILE (created empty when "
                       "missing, saved after every complete write)."),
        QStringLiteral("FILE"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Record every character in and out in FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption off(QStringLiteral("off"),
                                 QStringLiteral("The radio is switched off: it never answers."));
    const QCommandLineOption stopAfter(
        QStringLiteral("stop-after"),
        QStringLiteral("Go silent after N characters of a read answer."), QStringLiteral("N"));
    const QCommandLineOption noise(QStringLiteral("noise"),
                                   QStringLiteral("Send TEXT in front of every answer."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption hangUpAfter(
        QStringLiteral("hang-up-after"),
        QStringLiteral("Close the line after N characters, in and out counted together."),
        QStringLiteral("N"));
    const QCommandLineOption replyDelay(QStringLiteral("reply-delay"),
                                        QStringLiteral("Wait MS milliseconds before each answer."),
                                        QStringLiteral("MS"));
    const QCommandLineOption corruptChannel(
        QStringLiteral("corrupt-channel"),
        QStringLiteral("Store channel N (1..16) of every write with one digit altered."),
        QStringLiteral("N"));
    const QCommandLineOption radios(
        QStringLiteral("radios"),
        QStringLiteral("Play a line of N radios on the one line, one after another: each is "
                       "switched on, then off once the program is done with it (its verify "
                       "read answered, or 3 s with nothing but ready polls after it was spoken "
                       "to), and the next is switched on after the swap time."),
        QStringLiteral("N"));
    const QCommandLineOption radioFaults(
        QStringLiteral("radio"),
        QStringLiteral("With --radios: faults of radio K alone, K:FAULT[,FAULT...] with FAULT "
                       "off, stop-after=N, noise=TEXT or corrupt-channel=N. Repeatable."),
        QStringLiteral("K:FAULTS"));
    const QCommandLineOption swap(
        QStringLiteral("swap"),
        QStringLiteral("With --radios: milliseconds from one radio switched off to the next "
                       "switched on (default 2000)."),
        QStringLiteral("MS"));
    const QCommandLineOption memoryDir(
        QStringLiteral("memory-dir"),
        QStringLiteral("With --radios: keep radio K's memory in DIR/radio-K.doc (created "
                       "empty when missing, saved after every complete write)."),
        QStringLiteral("DIR"));
    parser.addOptions({link, memory, log, off, stopAfter, noise, hangUpAfter, replyDelay,
                       corruptChannel, radios, radioFaults, swap, memoryDir});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        return fail(kUsage, QStringLiteral("unexpected argument \"%1\"")
                                .arg(parser.positionalArguments().constFirst()));
    }

    RadioEngine::Faults faults;
    faults.off = parser.isSet(off);
    faults.noise = parser.value(noise).toLatin1();
    std::optional<int> delay;
    QString error;
    if (!readCount(parser, QStringLiteral("stop-after"), &faults.stopAfter, &error) ||
        !readCount(parser, QStringLiteral("hang-up-after"), &faults.hangUpAfter, &error) ||
        !readCount(parser, QStringLiteral("reply-delay"), &delay, &error) ||
        !readCount(parser, QStringLiteral("corrupt-channel"), &faults.corruptChannel, &error)) {
        return fail(kUsage, error);
    }
    if (faults.corruptChannel &&
        (*faults.corruptChannel < 1 || *faults.corruptChannel > RadioEngine::kFrameCount)) {
        return fail(kUsage, QStringLiteral("--corrupt-channel needs a channel from 1 to 16, not %1")
                                .arg(*faults.corruptChannel));
    }

    std::optional<int> lineLength;
    std::optional<int> swapTime;
    if (!readCount(parser, QStringLiteral("radios"), &lineLength, &error) ||
        !readCount(parser, QStringLiteral("swap"), &swapTime, &error)) {
        return fail(kUsage, error);
    }
    if (!lineLength &&
        (parser.isSet(radioFaults) || parser.isSet(swap) || parser.isSet(memoryDir))) {
        return fail(kUsage, QStringLiteral("--radio, --swap and --memory-dir need --radios"));
    }
    if (lineLength && (parser.isSet(memory) || parser.isSet(hangUpAfter))) {
        return fail(kUsage, QStringLiteral("--radios takes --memory-dir, not --memory, and no "
                                           "--hang-up-after"));
    }
    std::vector<RadioEngine::Faults> lineFaults(static_cast<std::size_t>(lineLength.value_or(0)),
                                                faults);
    for (const QString& given : parser.values(radioFaults)) {
        if (!readRadioFaults(given, *lineLength, &lineFaults, &error)) {
            return fail(kUsage, error);
        }
    }
    std::optional<std::vector<RadioSeries::Radio>> line;
    if (lineLength) {
        line = lineOfRadios(lineFaults, parser.value(memoryDir), &error);
        if (!line) {
            return fail(kBadMemory, error);
        }
    }

    PtyRadio radio;
    if (parser.isSet(memory)) {
        const QString path = parser.value(memory);
        if (QFileInfo::exists(path)) {
            auto loaded = loadRadioMemory(path);
            if (const auto* reason = std::get_if<QString>(&loaded)) {
                return fail(kBadMemory, *reason);
            }
            radio.engine().setMemory(std::get<RadioEngine::Frames>(loaded));
        } else if (const auto failure = saveRadioMemory(path, RadioEngine::unprogrammedMemory())) {
            return fail(kBadMemory, *failure);
        }
        radio.setMemoryFile(path);
    }
    if (parser.isSet(log) && !radio.setLogFile(parser.value(log), &error)) {
        return fail(kUsage, error);
    }
    radio.engine().setFaults(faults);
    std::unique_ptr<RadioSeries> series;
    if (line) {
        series = std::make_unique<RadioSeries>(radio, std::move(*line),
                                               std::chrono::milliseconds(swapTime.value_or(2000)));
    }
    radio.setReplyDelay(std::chrono::milliseconds(delay.value_or(0)));

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        return fail(kLineFailure,
                    QStringLiteral("cannot watch for signals: %1").arg(qt_error_string(errno)));
    }
    QSocketNotifier terminated(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&terminated, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    if (!radio.open(&error)) {
        return fail(kLineFailure, error);
    }
    const QString device = radio.devicePath();
    const QString linkPath = parser.value(link);
    if (!linkPath.isEmpty() && !makeLink(linkPath, device, &error)) {
        return fail(kUsage, error);
    }
    QObject::connect(&radio, &PtyRadio::hungUp, &app, &QCoreApplication::quit);
    QObject::connect(&radio, &PtyRadio::memorySaveFailed, &app,
                     [](const QString& reason) { fail(kOk, reason); });

    std::printf("%s\n", qPrintable(device));
    std::fflush(stdout);
    if (series) {
        series->start();
    }

    const int status = app.exec();
    removeLink(linkPath, device);
    return status;
}

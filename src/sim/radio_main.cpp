// qm3270-radio: a QM3270 radio on a pseudo-terminal, for tests, demonstrations
// and anyone without a radio at hand.

#include "sim/pty_radio.h"
#include "sim/radio_memory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>

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
    parser.addOptions(
        {link, memory, log, off, stopAfter, noise, hangUpAfter, replyDelay, corruptChannel});
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

    const int status = app.exec();
    removeLink(linkPath, device);
    return status;
}

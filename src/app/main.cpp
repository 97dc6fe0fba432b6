// qm3270: the desktop channel programmer for the QM3270 radio.

#include "app/program_end.h"
#include "channels/channel_store.h"
#include "link/serial_line.h"
#include "sheet/fonts.h"
#include "sim/built_in_radio.h"
#include "sim/pty_radio.h"
#include "ui/file_chooser.h"
#include "ui/main_window.h"
#include "ui/message_presenter.h"
#include "ui/qt_texts.h"
#include "ui/store_opening.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSettings>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using namespace qm3270;

struct Options {
    QString databasePath;
    std::optional<QString> port;
    std::optional<QString> trace;
    bool simulate = false;
};

// --help and --version must work where there is no display, so the command
// line is read before the QApplication (which needs one) exists.
Options readOptions(int argc, char* argv[]) {
    QCoreApplication probe(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qm3270"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QM3270_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("QM3270 radio channel programmer."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption db(
        QStringLiteral("db"),
        QStringLiteral("Channel database FILE (default: %1).").arg(ChannelStore::defaultPath()),
        QStringLiteral("FILE"), ChannelStore::defaultPath());
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Open DEVICE at start-up instead of the first or second serial port."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run a simulated radio inside the program and use its line."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append every character in and out of the serial port to FILE."),
        QStringLiteral("FILE"));
    parser.addOptions({db, port, simulate, trace});
    parser.process(probe);  // answers --help, --version and usage errors, and exits

    Options options;
    options.databasePath = parser.value(db);
    if (parser.isSet(port)) {
        options.port = parser.value(port);
    }
    options.simulate = parser.isSet(simulate);
    if (parser.isSet(trace)) {
        options.trace = parser.value(trace);
    }
    return options;
}

// The device that start-up opens instead of COM1/COM2: the --port device, or
// the line of the radio simulated inside the program (owned by `owner`).
// Nothing: COM1 with the fallback to COM2.
std::optional<QString> startUpDevice(const Options& options, QObject& owner) {
    if (!options.simulate) {
        return options.port;
    }
    if (options.port) {
        std::fputs("qm3270: cannot simulate: --port names another radio's line\n", stderr);
        std::exit(1);
    }
    // The radio belongs to the application object, so it is destroyed after the
    // window and the port that talk to it: the port never sees its line vanish.
    auto* radio = new PtyRadio(&owner);
    QObject::connect(radio, &PtyRadio::memorySaveFailed, radio, [](const QString& reason) {
        std::fprintf(stderr, "qm3270: simulated radio: %s\n", qPrintable(reason));
    });
    QString error;
    if (!startRadioWithMemory(*radio, builtInRadioMemoryPath(), &error)) {
        std::fprintf(stderr, "qm3270: cannot simulate: %s\n", qPrintable(error));
        std::exit(1);
    }
    return radio->devicePath();
}

}  // namespace

int main(int argc, char* argv[]) {
    const Options options = readOptions(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qm3270"));
    QApplication::setApplicationVersion(QStringLiteral(QM3270_VERSION));
    // The installed menu entry: the desktop shows its name and icon for the window.
    QApplication::setDesktopFileName(QStringLiteral("org.example.qm3270"));
    installFontSubstitutions();
    installQtChineseTexts(&app);

    // A trace was asked for to catch a fault: running on without it would let
    // the user reproduce the fault for nothing, so a trace that cannot be
    // opened ends the program before anything is sent.
    SerialLine line;
    if (options.trace) {
        QString error;
        if (!line.traceTo(*options.trace, &error)) {
            std::fprintf(stderr, "qm3270: cannot open trace %s: %s\n", qPrintable(*options.trace),
                         qPrintable(error));
            return 1;
        }
        QObject::connect(line.trace(), &TracedPort::traceFailed, line.trace(),
                         [](const QString& why) {
                             std::fprintf(stderr, "qm3270: the trace ended: %s\n", qPrintable(why));
                         });
    }

    BoxMessagePresenter messages;
    auto store = openStoreOrReport(options.databasePath, messages);
    if (!store) {
        return 1;
    }
    DialogFileChooser files;
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qm3270"),
                       QStringLiteral("qm3270"));

    MainWindowServices services{.store = *store,
                                .port = line.port(),
                                .messages = messages,
                                .files = files,
                                .explicitPort = startUpDevice(options, app),
                                .simulated = options.simulate,
                                .settings = &settings};

    MainWindow window(services);
    window.startUp();
    return runUntilEnd(window, *store);
}

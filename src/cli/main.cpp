// qm3270-cli: the channel programmer's rules and codecs for scripts, without a window.

#include "cli/cli_command.h"
#include "cli/cli_support.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <array>
#include <cstring>
#include <memory>

namespace {

using qm3270::cli::Command;

// Every command of the tool; a new command is one more line here.
const std::array kCommands = {
    qm3270::cli::framesCommand(),    qm3270::cli::decodeCommand(),    qm3270::cli::showCommand(),
    qm3270::cli::readCommand(),      qm3270::cli::writeCommand(),     qm3270::cli::verifyCommand(),
    qm3270::cli::importCsvCommand(), qm3270::cli::exportCsvCommand(), qm3270::cli::printCommand(),
};

QString commandList() {
    QString list =
        QStringLiteral("Programs the QM3270 radio's channels from scripts.\n\nCommands:\n");
    for (const Command& command : kCommands) {
        list += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(command.name).leftJustified(10),
                         QString::fromLatin1(command.summary));
    }
    list += QStringLiteral("\nRun 'qm3270-cli COMMAND --help' for a command's own options.");
    return list;
}

// The command the user named: the first argument that is not an option.
const Command* namedCommand(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            continue;
        }
        for (const Command& command : kCommands) {
            if (std::strcmp(argv[i], command.name) == 0) {
                return &command;
            }
        }
        return nullptr;
    }
    return nullptr;
}

// Fonts need Qt Gui; everything else runs on a core application, which needs no
// display at all. The page drawing gets the offscreen platform, so that it works
// the same over ssh, in a container or under a desktop session.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[]) {
    const Command* command = namedCommand(argc, argv);
    if (command != nullptr && command->drawsPages) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto app = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qm3270-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QM3270_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(commandList());
    // Options after the command's name belong to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do."),
                                 QStringLiteral("COMMAND [ARGUMENTS...]"));

    const QString hint = QStringLiteral("Try 'qm3270-cli --help' for more information.\n");
    if (!parser.parse(QCoreApplication::arguments())) {
        qm3270::cli::printError(QStringLiteral("qm3270-cli: %1\n").arg(parser.errorText()) + hint);
        return qm3270::cli::kUsage;
    }
    if (parser.isSet(version)) {
        qm3270::cli::printOut(
            QStringLiteral("qm3270-cli %1\n").arg(QStringLiteral(QM3270_VERSION)));
        return qm3270::cli::kSuccess;
    }
    QStringList arguments = parser.positionalArguments();
    if (parser.isSet(help)) {
        qm3270::cli::printOut(parser.helpText());
        return qm3270::cli::kSuccess;
    }
    if (arguments.isEmpty()) {
        qm3270::cli::printError(QStringLiteral("qm3270-cli: missing command\n") + hint);
        return qm3270::cli::kUsage;
    }
    const QString name = arguments.takeFirst();
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            arguments.prepend(QStringLiteral("qm3270-cli ") + name);
            return command.run(arguments);
        }
    }
    qm3270::cli::printError(QStringLiteral("qm3270-cli: unknown command '%1'\n").arg(name) + hint);
    return qm3270::cli::kUsage;
}

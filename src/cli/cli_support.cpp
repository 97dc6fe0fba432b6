#include "cli/cli_support.h"

#include "cli/cli_command.h"
#include "file/messages.h"

#include <QFile>

#include <cstdio>

namespace qm3270::cli {

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

void printOut(const QString& text) {
    write(stdout, text);
}

void printError(const QString& text) {
    write(stderr, text);
}

int fail(int status, const QString& what, const QString& reason) {
    printError(QStringLiteral("qm3270-cli: cannot %1: %2\n").arg(what, reason));
    return status;
}

int usageError(const QStringList& arguments, const QString& problem) {
    printError(QStringLiteral("qm3270-cli: %1\nTry '%2 --help' for more information.\n")
                   .arg(problem, arguments.value(0)));
    return kUsage;
}

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    qsizetype positionals) {
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments)) {
        return usageError(arguments, parser.errorText());
    }
    if (parser.isSet(help)) {
        // The usage line names the program only; put the command's name after it.
        QString text = parser.helpText();
        const QString program = QStringLiteral("qm3270-cli");
        const qsizetype at = text.indexOf(program);
        if (at >= 0) {
            text.replace(at, program.size(), arguments.value(0));
        }
        printOut(text);
        return kSuccess;
    }
    const QStringList given = parser.positionalArguments();
    if (given.size() < positionals) {
        return usageError(arguments, QStringLiteral("missing argument"));
    }
    if (given.size() > positionals) {
        return usageError(arguments,
                          QStringLiteral("unexpected argument '%1'").arg(given.at(positionals)));
    }
    return std::nullopt;
}

QCommandLineOption portOption() {
    return {QStringLiteral("port"), QStringLiteral("The serial device the radio is on."),
            QStringLiteral("DEV")};
}

QCommandLineOption traceOption() {
    return {QStringLiteral("trace"),
            QStringLiteral("Append every character in and out to FILE, one line per burst\n"
                           "('MS > TEXT' out, 'MS < TEXT' in), for bug reports."),
            QStringLiteral("FILE")};
}

std::optional<int> parseRadioCommandLine(QCommandLineParser& parser, const QCommandLineOption& port,
                                         const QStringList& arguments, qsizetype positionals) {
    if (const auto status = parseCommandLine(parser, arguments, positionals)) {
        return status;
    }
    if (!parser.isSet(port)) {
        return usageError(arguments, QStringLiteral("missing --port DEV"));
    }
    return std::nullopt;
}

void addFileArgument(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A channel file (.doc)."));
}

std::variant<ChannelFile, int> parseAndOpenFile(QCommandLineParser& parser,
                                                const QStringList& arguments) {
    addFileArgument(parser);
    if (const auto status = parseCommandLine(parser, arguments, 1)) {
        return *status;
    }
    return openChannelFile(parser.positionalArguments().constFirst());
}

namespace {

// "-" names the standard input, as it does for other tools: a table can come
// through a pipe. It is read as a file is, no more than the limit and a byte.
std::variant<ChannelFile, UserMessage> readStandardInputChannelFile() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        return UserMessage{
            QString::fromUtf16(file_messages::kCannotOpen), {}, {}, in.errorString()};
    }
    return parseChannelFile(in.read(kChannelFileMaxBytes + 1));
}

}  // namespace

std::variant<ChannelFile, int> openChannelFile(const QString& path) {
    auto opened =
        path == QStringLiteral("-") ? readStandardInputChannelFile() : readChannelFile(path);
    if (const auto* message = std::get_if<UserMessage>(&opened)) {
        // The line names the file already; the reason follows without it.
        QString reason = message->detail;
        reason.remove(0, reason.startsWith(path + u'：') ? path.size() + 1 : 0);
        const bool unreadable = message->text == QString::fromUtf16(file_messages::kCannotOpen);
        return fail(kBadInput,
                    (unreadable ? QStringLiteral("open ") : QStringLiteral("read ")) + path,
                    message->text + QStringLiteral(" (") + reason + u')');
    }
    return std::get<ChannelFile>(std::move(opened));
}

}  // namespace qm3270::cli

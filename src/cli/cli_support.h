#pragma once

#include "file/channel_file.h"

#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <variant>

namespace qm3270::cli {

// Standard output and error, always UTF-8 whatever the terminal's locale.
void printOut(const QString& text);
void printError(const QString& text);

// "qm3270-cli: cannot WHAT: REASON" on standard error; returns `status`.
int fail(int status, const QString& what, const QString& reason);

// "qm3270-cli: PROBLEM" and a pointer to the command's --help on standard
// error; returns the usage status.
int usageError(const QStringList& arguments, const QString& problem);

// Parses a command's own options. Returns an exit status when the run ends
// here: after --help (0), or on a usage error (1, with the reason and a hint).
// `positionals` is how many positional arguments the command takes.
std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    qsizetype positionals);

// The --port DEV option of the commands that talk to the radio.
QCommandLineOption portOption();

// Their --trace FILE option: every character in and out appended to FILE.
QCommandLineOption traceOption();

// parseCommandLine() for a command that talks to the radio: without --port it
// is a usage error.
std::optional<int> parseRadioCommandLine(QCommandLineParser& parser, const QCommandLineOption& port,
                                         const QStringList& arguments, qsizetype positionals);

// The FILE argument of the commands that take a channel file.
void addFileArgument(QCommandLineParser& parser);

// Reads a channel file the way the window's 打开 does; on failure the reason
// is reported and the exit status returned.
std::variant<ChannelFile, int> openChannelFile(const QString& path);

// For a command whose only argument is FILE: parses the command line and opens
// the file. Returns the file, or the exit status when the run ends here.
std::variant<ChannelFile, int> parseAndOpenFile(QCommandLineParser& parser,
                                                const QStringList& arguments);

}  // namespace qm3270::cli

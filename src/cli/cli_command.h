#pragma once

#include <QStringList>

class QCommandLineParser;

namespace qm3270::cli {

// What a run of qm3270-cli tells the shell that called it.
enum ExitStatus : int {
    kSuccess = 0,
    kUsage = 1,         // the command line itself is wrong
    kBadInput = 2,      // bad input file, or the output file cannot be written
    kRefused = 3,       // data the radio must not receive
    kRadioFailure = 4,  // the port cannot be opened, or the radio did not answer as it should
    kDifferent = 5,     // a verify read brought back other channels than were written
};

// One command of the tool: `arguments` starts with "qm3270-cli NAME" as the
// program name, followed by what the user typed after the command's name.
struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
    // Draws with fonts: runs on Qt Gui's offscreen platform, never on a display.
    bool drawsPages = false;
};

Command framesCommand();
Command decodeCommand();
Command showCommand();
Command readCommand();
Command writeCommand();
Command verifyCommand();
Command importCsvCommand();
Command exportCsvCommand();
Command printCommand();

}  // namespace qm3270::cli

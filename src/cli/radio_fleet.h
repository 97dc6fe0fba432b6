#pragma once

#include "cli/progress_line.h"
#include "cli/radio_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace qm3270::cli {

// Parses the command line of a command that may talk to several radios (as
// parseRadioCommandLine() does) and returns the devices of the repeated --port
// option, in the order given. A device named twice, or --trace with more than
// one port, is a usage error: its exit status comes back, as does --help's.
std::variant<QStringList, int> parsePorts(QCommandLineParser& parser,
                                          const QCommandLineOption& port,
                                          const QCommandLineOption& trace,
                                          const QStringList& arguments, qsizetype positionals);

// The channel file a read of several radios saves for `device`: its path below
// /dev with each '/' made '-' ("/dev/pts/3" gives "pts-3.doc", "/dev/ttyUSB0"
// "ttyUSB0.doc"), or for a device elsewhere its file name ("radio-a.doc").
QString portFileName(const QString& device);

// Several radios driven side by side on one event loop: every transfer is
// started, then all are waited for together, so eight radios take the time of
// one. Each radio ends with a status and one result line; the run's status is
// the worst of them, the highest number (a port failure, 4, outweighs a bad
// output file, 2; a difference found by a verify, 5, outweighs both).
class RadioFleet {
public:
    struct Radio {
        QString device;
        RadioLine line;
        int status = 0;
        QString result;  // "written", "cannot open: ...", ...
        bool done = false;
    };

    // `doing` names the transfer in the progress line: "writing", "reading".
    RadioFleet(const QStringList& devices, QString doing);

    // Opens every port; a port that would not open is done at once.
    void openAll();

    // The radios whose port is open and which have not ended yet.
    std::vector<Radio*> running() const;

    void finish(Radio& radio, int status, const QString& result);

    // Spins the event loop until every radio is done, showing on a terminal how
    // many are ("writing 8 radios: 3 done").
    void waitForAll();

    // "DEV: RESULT" on standard output for each radio, in the order given.
    void printResults() const;
    int worstStatus() const;

private:
    void showSummary();

    std::vector<std::unique_ptr<Radio>> radios_;
    QString doing_;
    ProgressLine progress_;
};

}  // namespace qm3270::cli

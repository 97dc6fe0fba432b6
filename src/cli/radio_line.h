#pragma once

#include "cli/progress_line.h"
#include "link/read_transfer.h"
#include "link/serial_line.h"
#include "link/write_transfer.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace qm3270::cli {

// The radio at the end of a serial device, for one run of the tool: the link's
// own write and read transfers at the window's periods. write() and read() run
// their transfer to its end on a local event loop; startWrite() and startRead()
// return at once and call back when it ends, so that one event loop can drive
// several radios side by side. A failure comes back as the transfer's message
// with a hint for the person at the terminal.
class RadioLine {
public:
    using WriteDone = std::function<void(const std::optional<QString>& failure)>;
    using ReadDone = std::function<void(const std::variant<QStringList, QString>& outcome)>;

    RadioLine() = default;
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;

    // Before open(): every character in and out is appended to `path`. false:
    // "cannot open trace FILE: reason" has been reported. A trace that cannot
    // be written later is reported once and ends; the transfer goes on.
    bool traceTo(const QString& path);

    // false: "cannot open DEV: reason" has been reported.
    bool open(const QString& device);
    // traceTo() when `trace` is not empty, then open(): on failure the exit
    // status (bad input for the trace, radio failure for the port) comes back.
    std::optional<int> openTraced(const QString& device, const QString& trace);
    // The same without a report: what the person at the terminal should be
    // told about a port that would not open, or nothing when it is open.
    std::optional<QString> openPort(const QString& device);

    // The line itself, for a radio session that drives it.
    Port& port() { return line_.port(); }

    // The channel progress on standard error (on by default). Off when several
    // radios share the terminal's one progress line.
    void setProgressShown(bool shown) { progressShown_ = shown; }

    // "A" and the 16 frames; returns once every character has left the port.
    std::optional<QString> write(const QStringList& frames);
    void startWrite(const QStringList& frames, WriteDone done);

    // The radio's 16 checked frames, or why there are none.
    std::variant<QStringList, QString> read();
    void startRead(ReadDone done);

private:
    // Spins the event loop until `finished` has been set by a transfer's end.
    static void waitFor(const bool& finished);
    QString lineLostHint() const;
    void showProgress(const char* verb, int channel);
    void clearProgress();

    SerialLine line_;
    ProgressLine progress_;
    bool progressShown_ = true;
    QString lineLost_;  // the port's failure, once it has failed
    std::unique_ptr<WriteTransfer> writer_;
    std::unique_ptr<ReadTransfer> reader_;
    WriteDone writeDone_;
    ReadDone readDone_;
};

}  // namespace qm3270::cli

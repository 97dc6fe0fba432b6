#pragma once

#include "cli/progress_line.h"
#include "link/serial_port.h"
#include "link/traced_port.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>

namespace qm3270::cli {

// The radio at the end of a serial device, for one run of the tool: the link's
// own write and read transfers at the window's periods, each run to its end on
// a local event loop. A failure comes back as the transfer's message with a
// hint for the person at the terminal.
class RadioLine {
public:
    RadioLine() = default;

    // Before open(): every character in and out is appended to `path`. false:
    // "cannot open trace FILE: reason" has been reported. A trace that cannot
    // be written later is reported once and ends; the transfer goes on.
    bool traceTo(const QString& path);

    // false: "cannot open DEV: reason" has been reported.
    bool open(const QString& device);

    // "A" and the 16 frames; returns once every character has left the port.
    std::optional<QString> write(const QStringList& frames);

    // The radio's 16 checked frames, or why there are none.
    std::variant<QStringList, QString> read();

private:
    // Spins the event loop until `finished` has been set by a transfer's signal.
    void waitFor(const bool& finished);
    QString lineLostHint() const;

    SerialPort serial_;
    std::unique_ptr<TracedPort> traced_;
    Port* port_ = &serial_;  // the traced one when there is a trace
    ProgressLine progress_;
    QString lineLost_;  // the port's failure, once it has failed
};

}  // namespace qm3270::cli

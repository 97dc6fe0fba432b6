#pragma once

#include "link/serial_port.h"
#include "link/traced_port.h"

#include <QString>

#include <memory>

namespace qm3270 {

// The serial line a program talks to the radio through: the serial port
// itself, or the port seen through a trace when one was asked for. Only an
// asked-for trace sits on the line: a TracedPort takes every character off the
// serial port the moment it arrives, so one that nothing reads from would
// swallow the radio's answers.
class SerialLine {
public:
    SerialLine() = default;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // From now on every character in and out is appended to `path`, before
    // the port is opened. false: `error` says why, and the line stays untraced.
    bool traceTo(const QString& path, QString* error);

    Port& port() { return traced_ ? static_cast<Port&>(*traced_) : serial_; }
    // The trace, to hear when it ends (TracedPort::traceFailed); null without one.
    TracedPort* trace() const { return traced_.get(); }

private:
    SerialPort serial_;
    std::unique_ptr<TracedPort> traced_;
};

}  // namespace qm3270

#include "link/serial_line.h"

namespace qm3270 {

bool SerialLine::traceTo(const QString& path, QString* error) {
    auto traced = std::make_unique<TracedPort>(serial_);
    if (!traced->openTrace(path, error)) {
        return false;
    }
    traced_ = std::move(traced);
    return true;
}

}  // namespace qm3270

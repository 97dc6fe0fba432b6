#include "cli/progress_line.h"

#include "cli/cli_support.h"

#include <unistd.h>

#include <algorithm>

namespace qm3270::cli {

ProgressLine::ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::show(const QString& text) {
    if (!enabled_) {
        return;
    }
    // Blanks over the tail of a longer earlier text; no terminal escapes needed.
    const qsizetype width = std::max(text.size(), shown_);
    printError(u'\r' + text.leftJustified(width));
    shown_ = text.size();
}

void ProgressLine::clear() {
    if (!enabled_ || shown_ == 0) {
        return;
    }
    printError(u'\r' + QString(shown_, u' ') + u'\r');
    shown_ = 0;
}

}  // namespace qm3270::cli

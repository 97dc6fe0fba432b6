#pragma once

#include <QString>

namespace qm3270::cli {

// One line of progress on standard error, rewritten in place. It shows only
// when standard error is a terminal: a script's log gets the outcome, not a
// stream of carriage returns.
class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const QString& text);
    // Blanks the line, so that what is printed next starts at its beginning.
    void clear();

private:
    bool enabled_;
    qsizetype shown_ = 0;  // length of the text on the line now
};

}  // namespace qm3270::cli

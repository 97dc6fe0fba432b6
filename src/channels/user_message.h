#pragma once

#include <QString>

namespace qm3270 {

// A modal message the user must acknowledge: the core says what happened, the
// window (or the command line) decides how to show it.
struct UserMessage {
    enum class Icon { None, Information, Exclamation };

    QString text;
    QString title;
    Icon icon = Icon::Information;
    // The system's or SQLite's own words, shown as the box's detailed text; the
    // fixed text above never carries them.
    QString detail{};

    bool operator==(const UserMessage&) const = default;
};

}  // namespace qm3270

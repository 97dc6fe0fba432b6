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

    bool operator==(const UserMessage&) const = default;
};

}  // namespace qm3270

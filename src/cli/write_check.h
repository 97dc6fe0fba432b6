#pragma once

#include "file/channel_file.h"

#include <QString>
#include <QStringList>

#include <variant>

namespace qm3270::cli {

// The rows as a write after opening a channel file sends them: the file carries
// no channel numbers, so they are numbered 1..16 by position.
ChannelTable numberedByPosition(const ChannelTable& rows);

// The 16 frames that writing `file` sends, with the checks of the window's
// write: the squelch box's limit and the refusal of data that would address no
// channel or carry an impossible value. On refusal the reason has been
// reported (as "cannot `what`: ...") and the exit status comes back.
std::variant<QStringList, int> checkedWriteFrames(const ChannelFile& file, const QString& what);

}  // namespace qm3270::cli

#pragma once

#include "cli/cli_backups.h"
#include "file/channel_file.h"

#include <QString>

#include <optional>

namespace qm3270::cli {

// write --each: one radio after another on `device`, each backed up, written
// with `file` and verified, until `count` radios are done (without a count,
// until SIGINT or SIGTERM, which end the run after the radio in hand). One line
// per radio on standard output; the exit status is the worst of theirs.
int writeEach(const QString& device, const QString& trace, const ChannelFile& file,
              const CliBackups& backups, std::optional<int> count);

}  // namespace qm3270::cli

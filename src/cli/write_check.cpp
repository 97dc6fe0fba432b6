#include "cli/write_check.h"

#include "channels/edit_rules.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "link/write_data.h"

namespace qm3270::cli {

ChannelTable numberedByPosition(const ChannelTable& rows) {
    ChannelTable numbered = rows;
    for (int k = 0; k < kChannelCount; ++k) {
        numbered.at(static_cast<std::size_t>(k))[kChannelNumber] = QString::number(k + 1);
    }
    return numbered;
}

std::variant<QStringList, int> checkedWriteFrames(const ChannelFile& file, const QString& what) {
    if (const auto message = squelchLimitMessage(file.squelch)) {
        return fail(kRefused, what, message->text);
    }
    auto built = buildWriteFrames(file.squelch, numberedByPosition(file.rows));
    if (const auto* refused = std::get_if<RefusedRow>(&built)) {
        return fail(kRefused, what, refused->message.text);
    }
    return std::get<QStringList>(std::move(built));
}

}  // namespace qm3270::cli

#pragma once

#include "file/channel_file.h"
#include "sim/radio_engine.h"

#include <QString>

#include <optional>
#include <variant>

namespace qm3270 {

// The simulated radio keeps its memory in a channel file between runs. Loading
// encodes the table the way the program would write it (channel numbers 1..16
// by position); saving stores what a read of the radio would save, so a file
// written here opens in the program exactly as a read of this radio would fill
// the table.

// The frames for a channel file's table, or why the table makes no radio memory
// (a value outside what the encoder turns into 20 digits).
std::variant<RadioEngine::Frames, QString> framesFromChannelFile(const ChannelFile& file);

// The table and squelch level a read of these frames gives.
ChannelFile channelFileFromFrames(const RadioEngine::Frames& frames);

// From and to a path; errors read "cannot ...: reason".
std::variant<RadioEngine::Frames, QString> loadRadioMemory(const QString& path);
std::optional<QString> saveRadioMemory(const QString& path, const RadioEngine::Frames& frames);

}  // namespace qm3270

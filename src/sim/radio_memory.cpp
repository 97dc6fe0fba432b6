#include "sim/radio_memory.h"

#include "link/frame_codec.h"

#include <algorithm>

namespace qm3270 {

namespace {

bool isDigits(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

std::variant<RadioEngine::Frames, QString> framesFromChannelFile(const ChannelFile& file) {
    RadioEngine::Frames frames;
    for (int position = 1; position <= RadioEngine::kFrameCount; ++position) {
        ChannelRecord row = file.rows.at(static_cast<std::size_t>(position - 1));
        row[kChannelNumber] = QString::number(position);
        const QString frame = frame::encodeFrame(position, row, file.squelch);
        if (frame.size() != RadioEngine::kFrameLength || !isDigits(frame)) {
            return QStringLiteral("channel %1 makes no 20-digit frame (\"%2\")")
                .arg(position)
                .arg(frame);
        }
        frames.at(static_cast<std::size_t>(position - 1)) = frame.toLatin1();
    }
    return frames;
}

ChannelFile channelFileFromFrames(const RadioEngine::Frames& frames) {
    QStringList text;
    for (const QByteArray& frame : frames) {
        text << QString::fromLatin1(frame);
    }
    frame::DecodedTable decoded = frame::decodeFrames(text);
    return {std::move(decoded.squelch), decoded.rows};
}

std::variant<RadioEngine::Frames, QString> loadRadioMemory(const QString& path) {
    auto parsed = readChannelFile(path);
    if (const auto* message = std::get_if<UserMessage>(&parsed)) {
        return QStringLiteral("cannot read %1: %2")
            .arg(path, message->detail.isEmpty() ? message->text : message->detail);
    }
    auto frames = framesFromChannelFile(std::get<ChannelFile>(parsed));
    if (const auto* reason = std::get_if<QString>(&frames)) {
        return QStringLiteral("cannot load %1 into the radio: %2").arg(path, *reason);
    }
    return frames;
}

std::optional<QString> saveRadioMemory(const QString& path, const RadioEngine::Frames& frames) {
    const ChannelFile file = channelFileFromFrames(frames);
    if (const auto reason = writeChannelFile(path, file.squelch, file.rows)) {
        return QStringLiteral("cannot save %1: %2").arg(path, *reason);
    }
    return std::nullopt;
}

}  // namespace qm3270

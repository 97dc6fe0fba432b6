#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "file/channel_file.h"
#include "link/frame_codec.h"
#include "link/frame_collector.h"
#include "link/messages.h"

#include <QFile>

#include <cstdio>

namespace qm3270::cli {

namespace {

constexpr qsizetype kAnswerLength = qsizetype{frame::kFrameLength} * frame::kFramesPerTransfer;

QString readStandardInput() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        return {};
    }
    // One character per byte, as on the line: a stray byte stays one stray character.
    QString text = QString::fromLatin1(in.readAll());
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

// The same all-or-nothing check as a read from the radio: late "C"s first,
// then exactly 16 frames of digits.
std::optional<QStringList> checkedFrames(const QString& text, QString& reason) {
    FrameCollector collector;
    const FrameCollector::State state = collector.feed(text);
    qsizetype leading = 0;
    while (leading < text.size() && text.at(leading) == QLatin1Char(frame::kReadyPoll)) {
        ++leading;
    }
    const qsizetype received = text.size() - leading;
    if (state == FrameCollector::State::Bad) {
        reason =
            QStringLiteral("character %1 is not a digit")
                .arg(leading + qsizetype{collector.framesComplete()} * frame::kFrameLength + 1);
    } else if (state == FrameCollector::State::Collecting) {
        reason = QStringLiteral("%1 of %2 characters").arg(received).arg(kAnswerLength);
    } else if (received > kAnswerLength) {
        reason = QStringLiteral("%1 characters after the 16th frame").arg(received - kAnswerLength);
    } else {
        return collector.frames();
    }
    return std::nullopt;
}

int runDecode(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the radio's answer to a read (16 frames of 20 digits, line breaks ignored)\n"
        "from standard input and prints the channel file that saving them would write."));
    const QCommandLineOption raw(
        QStringLiteral("raw"),
        QStringLiteral("Decode the first 320 characters whatever they are, unchecked."));
    parser.addOption(raw);
    if (const auto status = parseCommandLine(parser, arguments, 0)) {
        return *status;
    }

    const QString text = readStandardInput();
    QStringList frames;
    if (parser.isSet(raw)) {
        if (text.size() < kAnswerLength) {
            return fail(kBadInput, QStringLiteral("decode frames"),
                        QStringLiteral("only %1 characters, 16 frames need %2")
                            .arg(text.size())
                            .arg(kAnswerLength));
        }
        for (qsizetype k = 0; k < frame::kFramesPerTransfer; ++k) {
            frames << text.mid(k * frame::kFrameLength, frame::kFrameLength);
        }
    } else {
        QString reason;
        const auto checked = checkedFrames(text, reason);
        if (!checked) {
            return fail(kBadInput, QStringLiteral("decode frames"),
                        QString::fromUtf16(link_messages::kReadFailed) + QStringLiteral(" (") +
                            reason + u')');
        }
        frames = *checked;
    }

    const frame::DecodedTable decoded = frame::decodeFrames(frames);
    printOut(formatChannelFile(decoded.squelch, decoded.rows) + u'\n');
    return kSuccess;
}

}  // namespace

Command decodeCommand() {
    return {"decode", "turn 16 frames read from the radio into a channel file", runDecode};
}

}  // namespace qm3270::cli

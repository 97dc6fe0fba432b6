// A read against a radio that answers anything: the bytes arrive through the
// fake serial line in pieces, the line may be pulled on the way. The read must
// end exactly as the line's characters say, say so once, and what it stores
// must save to a channel file that opens as the same table.
//
// Input: byte 0 is the piece size (1..64), byte 1 the piece after which the
// line is pulled (0: never), the rest is what the radio sends after "5".

#include "fake_port.h"
#include "file/channel_file.h"
#include "fuzz_check.h"
#include "link/frame_codec.h"
#include "link/read_transfer.h"
#include "timer_firing.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

namespace {

using namespace qm3270;

constexpr qsizetype kAnswerLength = qsizetype{frame::kFrameLength} * frame::kFramesPerTransfer;

enum class Outcome { Running, Succeeded, Failed };

// What the radio's characters mean, worked out apart from the collector: "C"s
// before the first digit are late poll answers; then 320 digits are the
// answer, and any other character before the 320th spoils it.
Outcome expectedOutcome(const QByteArray& heard, QString* answer) {
    qsizetype at = 0;
    while (at < heard.size() && heard.at(at) == frame::kReadyPoll) {
        ++at;
    }
    for (qsizetype n = 0; n < kAnswerLength; ++n, ++at) {
        if (at == heard.size()) {
            return Outcome::Running;
        }
        const char c = heard.at(at);
        if (c < '0' || c > '9') {
            return Outcome::Failed;
        }
        *answer += QLatin1Char(c);
    }
    return Outcome::Succeeded;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The transfer's timers need an event dispatcher; no event is ever processed,
    // so they never fire on their own.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const qsizetype piece = 1 + data[0] % 64;
    const int pullAfter = data[1];
    const QByteArray answer(reinterpret_cast<const char*>(data + 2),
                            static_cast<qsizetype>(size - 2));

    test::FakePort port;
    port.open(QStringLiteral("fuzz"), nullptr);
    ReadTransfer transfer(port, LinkTiming{});
    int successes = 0;
    int failures = 0;
    QStringList frames;
    QList<int> progress;
    QObject::connect(&transfer, &ReadTransfer::succeeded, [&](const QStringList& received) {
        ++successes;
        frames = received;
    });
    QObject::connect(&transfer, &ReadTransfer::failed, [&] { ++failures; });
    QObject::connect(&transfer, &ReadTransfer::progress, [&](int value) { progress << value; });

    transfer.start();
    if (!test::fireTimer(&transfer, "Timer4") || port.sentText() != "5") {
        fuzz::fail("the armed read sends \"5\"", QString::fromLatin1(port.sentText()));
    }
    QByteArray heard;
    bool pulled = false;
    for (qsizetype at = 0, n = 1; at < answer.size(); at += piece, ++n) {
        port.deliver(answer.mid(at, piece));
        heard += answer.mid(at, piece);
        if (n == pullAfter) {
            port.failLine();
            pulled = true;
            break;
        }
    }

    QString expected;
    Outcome outcome = expectedOutcome(heard, &expected);
    if (outcome == Outcome::Running && pulled) {
        outcome = Outcome::Failed;
    }
    const Outcome seen = successes + failures == 0 ? Outcome::Running
                         : successes > 0           ? Outcome::Succeeded
                                                   : Outcome::Failed;
    const QString heardText = QString::fromLatin1(heard);
    if (successes + failures > 1) {
        fuzz::fail("a read ends once", heardText);
    }
    if (seen != outcome || transfer.isRunning() != (outcome == Outcome::Running)) {
        fuzz::fail("a read ends as the line's characters say", heardText);
    }
    for (qsizetype k = 0; k < progress.size(); ++k) {
        if (progress.size() > frame::kFramesPerTransfer || progress.at(k) != 6 * k) {
            fuzz::fail("progress counts the channels 0, 6, ... 90", heardText);
        }
    }
    if (outcome != Outcome::Succeeded) {
        return 0;
    }
    if (frames.join(QString()) != expected || progress.size() != frame::kFramesPerTransfer) {
        fuzz::fail("a read hands over the radio's 320 digits as 16 frames", heardText);
    }

    // What the read stores, saved and opened again.
    const frame::DecodedTable table = frame::decodeFrames(frames);
    const QString saved = formatChannelFile(table.squelch, table.rows);
    const auto opened = parseChannelFile(saved.toUtf8());
    const auto* file = std::get_if<ChannelFile>(&opened);
    if (file == nullptr || file->squelch != table.squelch || file->rows != table.rows) {
        fuzz::fail("a table read from the radio saves to a file that opens as the same table",
                   saved);
    }
    return 0;
}

#include "continuous_bench.h"

#include "channels/channel_store.h"
#include "link/serial_port.h"
#include "radio_process.h"
#include "session/continuous_write.h"
#include "session/radio_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace qm3270;

namespace {

// What each radio's turn has to carry at 1200 baud, 120 characters a second:
// its read (320 characters), the write ("A" and 320) and the verify read.
constexpr double kLineMs = (320 + 321 + 320) * 10'000.0 / 1200.0;
// A pseudo-terminal takes the write's frames as fast as they are handed over;
// on a cable the write lasts its first tick and 16 frames at 120 characters a
// second (the bench's model of the write, see docs/benchmark.md).
constexpr double kCableWriteMs = 100.0 + 16 * (21 * 10'000.0 / 1200.0);

[[noreturn]] void stop(const QString& why) {
    std::fprintf(stderr, "qm3270-bench: continuous write: %s\n", qPrintable(why));
    std::exit(1);
}

}  // namespace

ContinuousFigures measureContinuousWrite(const QString& radioProgram, const QString& folder,
                                         int radios, int swapMs) {
    const QString memory = QDir(folder).filePath(QStringLiteral("line"));
    QDir().mkpath(memory);
    RadioProcess line(radioProgram, {QStringLiteral("--radios"), QString::number(radios),
                                     QStringLiteral("--swap"), QString::number(swapMs),
                                     QStringLiteral("--memory-dir"), memory});
    SerialPort port;
    if (line.device().isEmpty() || !port.open(line.device(), nullptr)) {
        stop(QStringLiteral("cannot start or open %1").arg(radioProgram));
    }
    QString error;
    const auto store = ChannelStore::open(QStringLiteral(":memory:"), &error);
    for (int row = 0; row < kChannelCount; ++row) {
        const QString mhz = QString::number(150.0 + row * 0.0125, 'f', 5);
        store->setField(row, kReceive, mhz);
        store->setField(row, kTransmit, mhz);
        store->setField(row, kBeat, QStringLiteral("on"));
    }
    RadioSession session(*store, port, LinkTiming{});
    session.setSquelchSource([] { return QStringLiteral("5"); });
    session.setBackupFolder(QDir(folder).filePath(QStringLiteral("line-backups")));
    session.setVerifyAfterWrite(true);
    ContinuousWrite continuous(session, *store, port, LinkTiming{});
    continuous.setSquelchSource([] { return QStringLiteral("5"); });

    QElapsedTimer clock;
    clock.start();
    double answeredMs = -1;
    double writeStartMs = 0;
    double longestWriteMs = 0;
    std::vector<double> radioMs;
    std::vector<double> doneMs;
    QObject::connect(&session, &RadioSession::radioReady, [&] {
        if (answeredMs < 0) {  // the mode serves the radio that answered
            answeredMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
    });
    QObject::connect(&session, &RadioSession::statusChanged, [&](const QString& status) {
        if (status == QStringLiteral("正在传送数据,,,,,,,")) {
            writeStartMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
    });
    QObject::connect(&session, &RadioSession::writeEnded, [&] {
        longestWriteMs = std::max(longestWriteMs,
                                  static_cast<double>(clock.nsecsElapsed()) / 1e6 - writeStartMs);
    });
    QObject::connect(
        &continuous, &ContinuousWrite::radioDone, [&](const ContinuousWrite::Radio& radio) {
            if (radio.outcome != ContinuousWrite::Radio::Outcome::Verified) {
                stop(QStringLiteral("radio %1: %2").arg(radio.number).arg(radio.logLine()));
            }
            const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            radioMs.push_back(now - answeredMs);
            doneMs.push_back(now);
            answeredMs = -1;
        });
    if (const auto refused = continuous.start()) {
        stop(refused->text);
    }
    QEventLoop loop;
    QTimer limit;
    limit.start(radios * (20'000 + swapMs));
    QObject::connect(&limit, &QTimer::timeout, &loop, [] { stop(QStringLiteral("stalled")); });
    while (static_cast<int>(doneMs.size()) < radios) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    continuous.stop();
    session.shutDown();

    ContinuousFigures figures;
    for (const double ms : radioMs) {
        figures.worstRadioMs = std::max(figures.worstRadioMs, ms);
    }
    figures.ptyRatio = figures.worstRadioMs / kLineMs;
    figures.writeMs = longestWriteMs;
    // The same turn with the write as long as on a cable.
    const double cableExtraMs = std::max(0.0, kCableWriteMs - longestWriteMs);
    figures.worstRatio = (figures.worstRadioMs + cableExtraMs) / kLineMs;
    if (radios > 1) {
        figures.cycleMs = (doneMs.back() - doneMs.front()) / (radios - 1) + cableExtraMs;
        figures.radiosPerHour = 3'600'000.0 / figures.cycleMs;
    }
    return figures;
}

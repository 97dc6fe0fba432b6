#include "radio_process.h"

#include <QElapsedTimer>
#include <QFile>

namespace qm3270 {

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 3000;

}  // namespace

RadioProcess::RadioProcess(const QString& program, const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine() && clock.elapsed() < kStartTimeoutMs &&
           process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(100);
    }
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

RadioProcess::~RadioProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(kStopTimeoutMs)) {
            process_.kill();
            process_.waitForFinished();
            return;  // killed: its status tells nothing
        }
    }
    // Once it has named its line, the simulator ends with 0 on SIGTERM and on a
    // hang-up. Anything else is a crash or a sanitizer's report (printed above,
    // its error channel is ours): the run is broken however the test went.
    if (!device_.isEmpty() &&
        (process_.exitStatus() != QProcess::NormalExit || process_.exitCode() != 0)) {
        qFatal("qm3270-radio on %s ended with status %d%s", qPrintable(device_),
               process_.exitCode(),
               process_.exitStatus() == QProcess::NormalExit ? "" : " (crashed)");
    }
}

std::vector<RadioProcess::LogEntry> RadioProcess::readLog(const QString& path, qint64 offset) {
    std::vector<LogEntry> entries;
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text) || !log.seek(offset)) {
        return entries;
    }
    // "<seconds> in|out <character>"; note lines and escaped bytes are skipped.
    while (!log.atEnd()) {
        const QList<QByteArray> parts = log.readLine().simplified().split(' ');
        if (parts.size() == 3 && (parts.at(1) == "in" || parts.at(1) == "out") &&
            parts.at(2).size() == 1) {
            entries.push_back({parts.at(0).toDouble(), parts.at(1) == "in", parts.at(2).at(0)});
        }
    }
    return entries;
}

QByteArray RadioProcess::logText(const QString& path, bool heard) {
    QByteArray text;
    for (const LogEntry& entry : readLog(path)) {
        if (entry.heard == heard) {
            text += entry.character;
        }
    }
    return text;
}

}  // namespace qm3270

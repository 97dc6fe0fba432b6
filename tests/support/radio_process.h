#pragma once

#include <QByteArrayView>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <vector>

namespace qm3270 {

// qm3270-radio as a child process, for end-to-end tests and the benchmark. The
// simulator names its line on the first line of its output; the process is
// terminated when this object goes, and a simulator that crashed or had a
// sanitizer report on the way ends the test program (qFatal).
class RadioProcess {
public:
    RadioProcess(const QString& program, const QStringList& arguments);
    ~RadioProcess();
    RadioProcess(const RadioProcess&) = delete;
    RadioProcess& operator=(const RadioProcess&) = delete;

    QString device() const { return device_; }  // empty when the simulator did not start

    // One character of a --log file: when (seconds since the radio opened its
    // line), which way ("in" heard, "out" sent) and what.
    struct LogEntry {
        double atSeconds;
        bool heard;
        char character;
    };
    // The log's characters from byte `offset` on, with their offset at the end.
    static std::vector<LogEntry> readLog(const QString& path, qint64 offset = 0);
    // Just the characters one way, in order.
    static QByteArray logText(const QString& path, bool heard);

private:
    QProcess process_;
    QString device_;
};

}  // namespace qm3270

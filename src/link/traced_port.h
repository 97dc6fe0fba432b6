#pragma once

#include "link/port.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>

namespace qm3270 {

// A Port that passes everything through to another one and appends every
// character in and out to a trace file, for bug reports: one line per burst,
// the milliseconds since the trace began, ">" for out or "<" for in, then the
// characters, the non-printable ones (and "\") as \xNN:
//
//     0 > C
//     41 < C
//     1204 > A
//
// Out, a burst is one send. In, it is what had arrived when the inner port
// said so: this port takes it all at once (so it is written with the time it
// came), and hands it out one character at a time as the inner port would.
class TracedPort : public Port {
    Q_OBJECT

public:
    explicit TracedPort(Port& inner, QObject* parent = nullptr);

    // Opens `path` for appending and starts the clock. false: `error` says why.
    bool openTrace(const QString& path, QString* error);

    bool open(const QString& device, PortOpenFailure* failure) override;
    void close() override;
    bool isOpen() const override;
    QString device() const override;

    void send(const QByteArray& text) override;
    QString readOne() override;
    int waitingCount() const override;
    void discardInput() override;  // what is thrown away is traced first
    bool outputDrained() const override;

    // The line "MS D TEXT" without its line end, as the trace holds it.
    static QString traceLine(qint64 milliseconds, QChar direction, QStringView characters);

Q_SIGNALS:
    // The trace file could not be written (disk full): the trace ends there,
    // the line and the transfers carry on.
    void traceFailed(QString reason);

private:
    void takeWaiting();
    void trace(QChar direction, QStringView characters);

    Port& inner_;
    QFile file_;
    QElapsedTimer clock_;
    QString waiting_;  // taken from the inner port, not yet read
};

}  // namespace qm3270

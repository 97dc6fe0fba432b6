#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace qm3270 {

// Why a port did not open, for the window and the command line to explain in
// their own words.
struct PortOpenFailure {
    enum class Kind {
        Missing,     // no such device
        Busy,        // another program (or another part of this one) holds it
        Permission,  // the user may not use it; `group` owns it
        Other,
    };
    Kind kind = Kind::Other;
    QString group;   // Permission: the device's group, by name where it has one
    QString reason;  // the system's own words
};

// The serial line as the transfers see it. The real one is SerialPort; tests
// use an in-memory fake. Everything is non-blocking.
class Port : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens `device` at 1200 baud 8N1, for this program alone. false: `failure`
    // (when given) says why.
    virtual bool open(const QString& device, PortOpenFailure* failure) = 0;
    virtual void close() = 0;  // leaves a closed port closed
    virtual bool isOpen() const = 0;
    virtual QString device() const = 0;

    virtual void send(const QByteArray& text) = 0;  // queues, never waits
    virtual QString readOne() = 0;                  // oldest waiting character, or ""
    virtual int waitingCount() const = 0;
    virtual void discardInput() = 0;
    // Everything sent has left the cable: nothing queued here, in the driver or
    // in the cable's own buffer.
    virtual bool outputDrained() const = 0;

Q_SIGNALS:
    void received();              // characters are waiting
    void failed(QString reason);  // the line is gone; the port is already closed
};

}  // namespace qm3270

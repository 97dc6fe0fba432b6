#pragma once

#include "link/port.h"

#include <QElapsedTimer>
#include <QStringList>

#include <chrono>

class QSerialPort;
class QTimer;

namespace qm3270 {

// The Port on a real serial device (or a pseudo-terminal), 1200 baud 8N1. A line
// that goes away is reported once through failed(), with the port closed first.
// One device has one user: a second open, under any of its names, by this or
// another program, is refused as busy.
class SerialPort : public Port {
    Q_OBJECT

public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    bool open(const QString& device, PortOpenFailure* failure) override;
    void close() override;
    bool isOpen() const override;
    QString device() const override;

    void send(const QByteArray& text) override;
    QString readOne() override;
    int waitingCount() const override;
    void discardInput() override;
    bool outputDrained() const override;

    // The platform's first two serial ports ("COM1"/"COM2", "/dev/ttyS0"/"/dev/ttyS1").
    static QString deviceForNumber(int number);

private:
    void handleError();
    void watchLine();
    bool lockDevice(PortOpenFailure* failure);
    qint64 driverQueued() const;
    std::chrono::nanoseconds sinceStart() const;

    QSerialPort* serial_;
    QTimer* lineWatch_;      // looks for a lost line while the port is open
    QString device_;         // as given: Qt's portName() drops the "/dev/"
    QByteArray node_;        // the device's file, every link resolved
    bool opening_ = false;   // errors during open() belong to open()'s result
    bool fetching_ = false;  // readOne() is taking what the driver holds
    // When the line will have carried everything handed over so far, by the
    // 1200 baud character time.
    QElapsedTimer clock_;
    std::chrono::nanoseconds lineIdleAt_{};
};

}  // namespace qm3270

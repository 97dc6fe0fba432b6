#pragma once

#include "link/port.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>

namespace qm3270::test {

// An in-memory serial line, for the link and the window tests. It records what the program sends
// (with the time since the fake was made), hands out scripted incoming characters, and fails,
// closes or refuses devices on command.
class FakePort : public Port {
public:
    struct Sent {
        QByteArray text;
        qint64 atMs = 0;
    };

    explicit FakePort(QObject* parent = nullptr);

    bool open(const QString& device, PortOpenFailure* failure) override;
    void close() override;
    bool isOpen() const override { return open_; }
    QString device() const override { return device_; }

    void send(const QByteArray& text) override;
    QString readOne() override;
    int waitingCount() const override { return static_cast<int>(incoming_.size()); }
    void discardInput() override;
    bool outputDrained() const override { return drained_; }

    // Scripting.
    void refuseDevice(const QString& device,
                      const PortOpenFailure& why = {PortOpenFailure::Kind::Busy,
                                                    {},
                                                    QStringLiteral("Device or resource busy")}) {
        refused_.insert(device, why);
    }
    void allowDevice(const QString& device) { refused_.remove(device); }
    void deliver(const QByteArray& text);  // arrives now; received() is emitted
    void queueSilently(const QByteArray& text) { incoming_ += text; }
    void failLine();  // the cable is pulled
    void setDrained(bool drained) { drained_ = drained; }
    // Called after each send, e.g. to play the radio.
    std::function<void(const QByteArray&)> onSend;

    // What happened.
    const QList<Sent>& sent() const { return sent_; }
    QByteArray sentText() const;
    QStringList openAttempts() const { return openAttempts_; }
    int closes() const { return closes_; }  // asked for by the program, not by open()
    int discards() const { return discards_; }
    int reads() const { return reads_; }
    qint64 elapsedMs() const { return clock_.elapsed(); }

private:
    void drop();

    QElapsedTimer clock_;
    bool open_ = false;
    bool drained_ = true;
    QString device_;
    QHash<QString, PortOpenFailure> refused_;
    QStringList openAttempts_;
    QByteArray incoming_;
    QList<Sent> sent_;
    int closes_ = 0;
    int discards_ = 0;
    int reads_ = 0;
};

}  // namespace qm3270::test

#pragma once

#include "link/link_timing.h"

#include <QObject>

class QTimer;

namespace qm3270 {

class Port;

// Polls the radio with "C" every tick (Timer3) until one read of the port gives
// exactly "C"; then it reports ready and stops. Ticks do nothing while the port
// is closed.
class ReadyWatch : public QObject {
    Q_OBJECT

public:
    ReadyWatch(Port& port, const LinkTiming& timing, QObject* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const;

Q_SIGNALS:
    void ready();

private:
    void tick();
    Port& port_;
    QTimer* timer_;  // objectName "Timer3"
};

}  // namespace qm3270

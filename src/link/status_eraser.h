#pragma once

#include "link/link_timing.h"

#include <QObject>

class QTimer;

namespace qm3270 {

// Empties the status line on its 11th tick (Timer2, about 660 ms) and stops.
// Starting it while it counts does not restart the count.
class StatusEraser : public QObject {
    Q_OBJECT

public:
    StatusEraser(const LinkTiming& timing, QObject* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const;

Q_SIGNALS:
    void erase();

private:
    QTimer* timer_;  // objectName "Timer2"
    int ticks_ = 0;
};

}  // namespace qm3270

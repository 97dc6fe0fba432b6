#pragma once

#include "channels/user_message.h"
#include "link/link_timing.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>

class QTimer;

namespace qm3270 {

class Port;

// Puts a table into the radio: "A" at start(), then one of the 16 prepared
// frames on each tick of Timer1. It ends on the 17th tick or, if later, once
// every character has left the port; a port failure stops it at once.
class WriteTransfer : public QObject {
    Q_OBJECT

public:
    WriteTransfer(Port& port, const LinkTiming& timing, QObject* parent = nullptr);

    bool isRunning() const;
    // `frames` are the 16 frames built at the click. Ignored while running.
    void start(const QStringList& frames);
    // Ends a running write at once as a lost line would (failed() with the
    // port's message): the frames not yet sent never go out.
    void interrupt();

Q_SIGNALS:
    void progress(int value);  // 0, 6, ... 90 as each frame goes
    void finished();           // everything has left the port
    void failed(qm3270::UserMessage message);

private:
    void tick();
    void checkDrained();
    void fail();

    Port& port_;
    LinkTiming timing_;
    QTimer* timer_;  // objectName "Timer1"
    QTimer* drainTimer_;
    QDeadlineTimer drainDeadline_;
    QStringList frames_;
    int step_ = 0;  // 0, 6, ... as in the progress bar
    bool running_ = false;
};

}  // namespace qm3270

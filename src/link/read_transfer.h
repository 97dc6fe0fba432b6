#pragma once

#include "channels/user_message.h"
#include "link/frame_collector.h"
#include "link/link_timing.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>

#include <chrono>

class QTimer;

namespace qm3270 {

class Port;

// Gets the radio's table: start() arms Timer4; its tick empties the receive
// buffer, sends "5" and collects 16 frames on the event loop, each channel
// within readChannelTimeout of the previous one (or of the command), and the
// answer done once the line has stayed quiet for readQuiet after its 320th
// digit. The caller stores the frames only on succeeded(); every failure ends
// in failed() with "读数错误！！".
class ReadTransfer : public QObject {
    Q_OBJECT

public:
    ReadTransfer(Port& port, const LinkTiming& timing, QObject* parent = nullptr);

    bool isRunning() const;  // armed or collecting
    void start();            // ignored while running

Q_SIGNALS:
    void begun();                        // the read command has gone out
    void progress(int value);            // 0, 6, ... 90 as each channel completes
    void succeeded(QStringList frames);  // the 16 checked frames
    void failed(qm3270::UserMessage message);

private:
    void armedTick();
    void collect();
    void waitUntil(std::chrono::milliseconds fromNow);
    void deadlineTick();
    void succeed();
    void failOnLine();
    void fail(const QString& detail = {});

    Port& port_;
    LinkTiming timing_;
    QTimer* timer_;  // objectName "Timer4"
    // The next channel's limit, or the end of the quiet time after the last.
    // Timers may fire early; the deadline says whether the time has come.
    QDeadlineTimer deadline_;
    QTimer* deadlineTimer_;
    FrameCollector collector_;
    int channelsDone_ = 0;
    bool running_ = false;
    bool collecting_ = false;  // "5" has gone out
};

}  // namespace qm3270

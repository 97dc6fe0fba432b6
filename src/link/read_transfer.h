#pragma once

#include "channels/user_message.h"
#include "link/frame_collector.h"
#include "link/link_timing.h"

#include <QObject>
#include <QStringList>

class QTimer;

namespace qm3270 {

class Port;

// Gets the radio's table: start() arms Timer4; its tick empties the receive
// buffer, sends "5" and collects 16 frames on the event loop, each channel
// within readChannelTimeout of the previous one. The caller stores the frames
// only on succeeded(); every failure ends in failed() with "读数错误！！".
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
    void fail();

    Port& port_;
    LinkTiming timing_;
    QTimer* timer_;         // objectName "Timer4"
    QTimer* channelTimer_;  // one channel's deadline
    FrameCollector collector_;
    int channelsDone_ = 0;
    bool running_ = false;
    bool collecting_ = false;  // "5" has gone out
};

}  // namespace qm3270

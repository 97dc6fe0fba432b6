#pragma once

#include "channels/user_message.h"
#include "link/link_timing.h"

#include <QObject>

#include <optional>

class QAction;
class QLabel;
class QWidget;

namespace qm3270 {

class ChannelStore;
class ContinuousWrite;
class MessagePresenter;
class Port;
class StatusBar;
class TransferController;

// 连续写入 in the window: the question before the mode starts, its status on
// Label2, a beep for each radio that failed, the count while it is on, and a
// close of the window put off until the radio in hand has been written and
// verified. The mode itself is the session's ContinuousWrite.
class ContinuousWriteActions : public QObject {
    Q_OBJECT

public:
    struct Widgets {
        QAction* toggle = nullptr;  // 连续写入: checkable
        QLabel* status = nullptr;   // Label2
        StatusBar* bar = nullptr;   // its right part counts the radios while the mode is on
    };

    ContinuousWriteActions(const Widgets& widgets, TransferController& transfers,
                           ChannelStore& store, Port& port, MessagePresenter& messages,
                           const LinkTiming& timing, QWidget* window);

    ContinuousWrite& mode() { return *mode_; }

    // The window is about to close: true when it must wait for the radio in
    // hand; readyToClose() comes once the mode is off.
    bool holdClose();

Q_SIGNALS:
    void readyToClose();

private:
    void toggled(bool on);
    void ended(const std::optional<UserMessage>& reason);

    Widgets widgets_;
    MessagePresenter& messages_;
    QWidget* window_;
    ContinuousWrite* mode_;
    bool closeWaiting_ = false;
};

}  // namespace qm3270

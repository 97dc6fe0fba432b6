#pragma once

#include "link/link_timing.h"

#include <QObject>

#include <functional>
#include <utility>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QWidget;

namespace qm3270 {

class ChannelStore;
class ChannelTableModel;
class MessagePresenter;
class Port;
class RadioSession;
class TableHistory;

// The main window's controls that the radio transfers drive.
struct TransferWidgets {
    QAction* readAction = nullptr;     // 读信道
    QAction* writeAction = nullptr;    // 写信道
    QAction* openAction = nullptr;     // 打开 (off while a read runs)
    QMenu* systemMenu = nullptr;       // 系统
    QAction* exitAction = nullptr;     // 退出
    QMenu* helpMenu = nullptr;         // 帮助
    QLabel* status = nullptr;          // Label2
    QProgressBar* progress = nullptr;  // ProgressBar1
    QComboBox* squelch = nullptr;      // Combo1
    TableHistory* history = nullptr;   // a read is one step of it
};

// Binds the radio session to the main window: its status to Label2, its
// channels to ProgressBar1, a read's squelch level to Combo1 (through the box's
// own limit rule), its messages to message boxes, a read to one step of the
// undo history; and switches the menus with the transfers.
class TransferController : public QObject {
    Q_OBJECT

public:
    TransferController(const TransferWidgets& widgets, ChannelStore& store,
                       ChannelTableModel& model, Port& port, MessagePresenter& messages,
                       const LinkTiming& timing, QWidget* window);

    RadioSession& session() { return *session_; }
    // While `quiet` says so, the session's messages are not shown: whoever
    // drives the session then (a continuous write) tells the user itself.
    void setMessagesQuiet(std::function<bool()> quiet) { quiet_ = std::move(quiet); }

    QString squelchText() const;  // Combo1's text now
    void startReadyWatch();       // the last step of start-up
    bool isBusy() const;          // a read, a write or a verify is running
    bool isWriting() const;

    void startWrite();  // 写信道
    void startRead();   // 读信道

    // The port is about to change: a running transfer ends as if its line had
    // been lost, so that no frame goes out on, or is taken from, another port.
    void stopTransfers();
    // The window is closing: a read is abandoned without a word (the table
    // stays as it was) and the timers stop. The window waits for a write to end.
    void shutDown();

Q_SIGNALS:
    void busyChanged(bool busy);  // with every change of the menus
    void writeEnded();            // after the end steps of a write, whether it went well or not

private:
    // Every menu's enabled state follows from the two transfer states, here only.
    void updateMenus();

    TransferWidgets widgets_;
    ChannelTableModel& model_;
    RadioSession* session_;
    std::function<bool()> quiet_ = [] { return false; };
};

}  // namespace qm3270

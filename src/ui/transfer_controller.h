#pragma once

#include "channels/user_message.h"
#include "link/link_timing.h"

#include <QObject>
#include <QStringList>

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
class ReadTransfer;
class ReadyWatch;
class StatusEraser;
class TableHistory;
class WriteTransfer;

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

// Runs the ready watch, the write and the read for the main window: builds the
// frames at the click, shows progress and status, switches the menus, stores a
// read in one transaction, and answers every failure with its message.
class TransferController : public QObject {
    Q_OBJECT

public:
    TransferController(const TransferWidgets& widgets, ChannelStore& store,
                       ChannelTableModel& model, Port& port, MessagePresenter& messages,
                       const LinkTiming& timing, QWidget* window);

    void startReadyWatch();  // the last step of start-up
    bool isBusy() const;     // a read or a write is running
    bool isWriting() const;

    void startWrite();  // 写信道
    void startRead();   // 读信道

    // The port is about to change: a running write or read ends as if its line
    // had been lost (its message, the menus back, the watch on), so that no
    // frame goes out on, or is taken from, another port.
    void stopTransfers();
    // The window is closing: a read is abandoned without a word (the table
    // stays as it was) and the timers stop. The window waits for a write to end.
    void shutDown();

Q_SIGNALS:
    void busyChanged(bool busy);  // with every change of the menus
    void writeEnded();            // after the end steps of a write, whether it went well or not

private:
    void connectTransfers();
    void connectRead();
    void abandonRead();
    void writeFinished();
    void writeFailed(const UserMessage& message);
    void readSucceeded(const QStringList& frames);
    void readFailed(const UserMessage& message);
    // Every menu's enabled state follows from the two transfer states, here only.
    void updateMenus();

    TransferWidgets widgets_;
    ChannelStore& store_;
    ChannelTableModel& model_;
    Port& port_;
    MessagePresenter& messages_;
    LinkTiming timing_;
    QWidget* window_;
    ReadyWatch* watch_;     // Timer3
    StatusEraser* eraser_;  // Timer2
    WriteTransfer* write_;  // Timer1
    ReadTransfer* read_;    // Timer4
};

}  // namespace qm3270

#pragma once

#include "session/port_memory.h"
#include "ui/main_controls.h"
#include "ui/main_menus.h"
#include "ui/main_services.h"
#include "ui/operation_outcomes.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace qm3270 {

class ChannelFileActions;
class ContinuousWriteActions;
class OperationsLog;
class OperationsLogWindow;
class ChannelGrid;
class ChannelTableModel;
class PortKeeper;
class StatusBar;
class CsvAndPrintActions;
class FocusKeeper;
class TableHistory;
class TransferController;

// 启动窗体: the channel grid, the squelch and beat boxes, the status line, the
// date and the progress bar under the menu bar from which everything starts.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(const MainWindowServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window at once, then writes the date, selects row 1, opens the
    // port (its messages shown over the window) and starts the ready watch.
    void startUp();

    // Opens the channel file `path` as 打开 does once its dialog has chosen it:
    // the same checks, the same backup, one step of the history.
    void openFile(const QString& path);

    // What is still in a cell editor goes into its row, and the row's pending
    // edit into the database, as the window's close does first.
    void commitPendingEdits();

Q_SIGNALS:
    void closed();  // edits committed, timers stopped, port released

protected:
    // A close during a write is carried out once the write has ended; during a
    // read the read is abandoned and the window closes at once.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectActions();
    void connectVerifyChoice();
    void connectContinuousWrite();
    void showOperationsLog();
    void connectStatusBar();
    void runFileAction(OperationOutcomes::Operation what, const std::function<void()>& action);
    void fitToScreen();
    void showMessage(const UserMessage& message);
    void shutDown();

    MainWindowServices services_;
    std::unique_ptr<FocusKeeper> focusKeeper_;
    PortSelection portSelection_;
    PortMemory portMemory_;
    std::unique_ptr<OperationOutcomes> outcomes_;
    ChannelTableModel* model_;
    MainControls controls_;
    ChannelGrid* grid_;
    MainMenus menus_;
    TableHistory* history_;
    std::unique_ptr<ChannelFileActions> fileActions_;
    std::unique_ptr<CsvAndPrintActions> csvAndPrint_;
    TransferController* transfers_;
    OperationsLog* log_;
    ContinuousWriteActions* continuous_ = nullptr;
    QPointer<OperationsLogWindow> logWindow_;
    PortKeeper* portKeeper_;
    StatusBar* statusBar_;
    bool closeAfterWrite_ = false;
    bool shutDown_ = false;
};

}  // namespace qm3270

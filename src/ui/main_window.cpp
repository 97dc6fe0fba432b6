#include "ui/main_window.h"

#include "channels/channel_store.h"
#include "channels/channel_table_model.h"
#include "link/port.h"
#include "session/continuous_write.h"
#include "session/operations_log.h"
#include "session/port_keeper.h"
#include "session/radio_session.h"
#include "sheet/fonts.h"
#include "ui/about_window.h"
#include "ui/channel_file_actions.h"
#include "ui/channel_grid.h"
#include "ui/continuous_write_actions.h"
#include "ui/csv_and_print_actions.h"
#include "ui/focus_keeper.h"
#include "ui/grid_clipboard.h"
#include "ui/instructions_window.h"
#include "ui/message_presenter.h"
#include "ui/operations_log_window.h"
#include "ui/port_dialog.h"
#include "ui/setting_boxes.h"
#include "ui/status_bar.h"
#include "ui/store_closing.h"
#include "ui/table_history.h"
#include "ui/transfer_controller.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace qm3270 {

MainWindow::MainWindow(const MainWindowServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      portSelection_(services.port, services.deviceForNumber),
      portMemory_(services.settings) {
    setObjectName(QStringLiteral("启动窗体"));
    setWindowTitle(QStringLiteral("QM3270"));
    setFont(songFont(9));

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("body"));
    setCentralWidget(body);

    model_ = new ChannelTableModel(
        services_.store, [this](const UserMessage& message) { showMessage(message); }, this);
    controls_ = buildMainControls(body);
    grid_ = new ChannelGrid(services_.store, *model_, body);
    placeChannelGrid(grid_);
    keepGridFitted(body, grid_);
    setUpKeyboard(controls_, grid_);
    // Every message below is shown through it: focus goes back where it was.
    focusKeeper_ = std::make_unique<FocusKeeper>(services_.messages, *grid_);
    MessagePresenter& messages = *focusKeeper_;
    menus_ = buildMainMenus(menuBar());
    history_ = new TableHistory(services_.store, *grid_, *controls_.squelch, messages, this);
    new GridClipboard(*grid_, services_.store, *history_, messages, this);

    // The file actions' dialogs and messages go through the outcomes, so that
    // the status bar hears how each ended.
    outcomes_ = std::make_unique<OperationOutcomes>(messages, services_.files);
    fileActions_ = std::make_unique<ChannelFileActions>(services_.store, *grid_, *controls_.squelch,
                                                        outcomes_->files(), outcomes_->messages(),
                                                        *history_, this);
    csvAndPrint_ = std::make_unique<CsvAndPrintActions>(CsvAndPrintActions::Services{
        services_.store, *grid_, *controls_.squelch, *fileActions_, outcomes_->files(),
        outcomes_->messages(), services_.printers, this});

    TransferWidgets widgets;
    widgets.readAction = menus_.read;
    widgets.writeAction = menus_.write;
    widgets.openAction = menus_.open;
    widgets.systemMenu = menus_.system;
    widgets.exitAction = menus_.exit;
    widgets.helpMenu = menus_.help;
    widgets.status = controls_.status;
    widgets.progress = controls_.progress;
    widgets.squelch = controls_.squelch;
    widgets.history = history_;
    transfers_ = new TransferController(widgets, services_.store, *model_, services_.port, messages,
                                        services_.timing, this);
    portKeeper_ =
        new PortKeeper(portSelection_, services_.lister, portMemory_, services_.simulated, this);
    statusBar_ = new StatusBar(this);
    setStatusBar(statusBar_);
    log_ = new OperationsLog(this);

    connectActions();
    connectStatusBar();
    fitToScreen();
}

// The designed size is the least the window takes, unless the screen (at its
// scale factor) is smaller: then the window fits it and the grid scrolls.
// The menu bar above and the status bar below come on top of it.
void MainWindow::fitToScreen() {
    const int barsHeight = menuBar()->sizeHint().height() + statusBar_->sizeHint().height();
    QSize room(kClientWidth, kClientHeight);
    if (const QScreen* place = screen()) {
        const QSize available = place->availableGeometry().size() - QSize(0, barsHeight);
        if (available.width() < room.width() || available.height() < room.height()) {
            // Room too for the window manager's title bar and borders, which
            // the window cannot ask about before it is shown.
            constexpr int kFrame = 40;
            room = room.boundedTo(available - QSize(kFrame / 2, kFrame));
        }
    }
    centralWidget()->setMinimumSize(room);
    resize(room.width(), room.height() + barsHeight);
}

// A program that ends without closing its window (the event loop told to quit)
// still takes the table out of the window first.
MainWindow::~MainWindow() {
    shutDown();
}

void MainWindow::connectActions() {
    attachSquelchLimit(controls_.squelch, *focusKeeper_, this);
    attachBeatPick(controls_.beat, services_.store, *history_);
    history_->attachActions(menus_.undo, menus_.redo);
    connect(transfers_, &TransferController::busyChanged, history_, &TableHistory::setBusy);

    using Operation = OperationOutcomes::Operation;
    connect(menus_.open, &QAction::triggered, this,
            [this] { runFileAction(Operation::Open, [this] { fileActions_->open(); }); });
    connect(menus_.save, &QAction::triggered, this,
            [this] { runFileAction(Operation::Save, [this] { fileActions_->save(); }); });
    connect(menus_.restore, &QAction::triggered, this, [this] {
        runFileAction(Operation::Restore, [this] { fileActions_->restoreBackup(); });
    });
    connect(menus_.importCsv, &QAction::triggered, this,
            [this] { runFileAction(Operation::Import, [this] { csvAndPrint_->importCsv(); }); });
    connect(menus_.exportCsv, &QAction::triggered, this,
            [this] { runFileAction(Operation::Export, [this] { csvAndPrint_->exportCsv(); }); });
    connect(menus_.printSheet, &QAction::triggered, this, [this] {
        if (const auto outcome = csvAndPrint_->print()) {
            log_->add(QStringLiteral("打印信道表"), *outcome);
        }
    });
    // An import and a restore fill the table as 打开 does, so they wait while a
    // read runs too.
    connect(menus_.open, &QAction::enabledChanged, menus_.importCsv, &QAction::setEnabled);
    connect(menus_.open, &QAction::enabledChanged, menus_.restore, &QAction::setEnabled);
    // A transfer reads or fills the whole table: what is still in a cell editor
    // belongs to the table first.
    connect(menus_.read, &QAction::triggered, transfers_, [this] {
        grid_->finishEditing();
        transfers_->startRead();
    });
    connect(menus_.write, &QAction::triggered, transfers_, [this] {
        grid_->finishEditing();
        transfers_->startWrite();
    });
    connect(menus_.port, &QAction::triggered, this, [this] {
        showPortDialog(
            this, {portSelection_, *focusKeeper_, services_.deviceForNumber, services_.lister,
                   [this] { transfers_->stopTransfers(); }, [this] { portKeeper_->portChosen(); }});
    });
    // 波特率 stays enabled and does nothing: the radio only talks at 1200 baud.
    connectVerifyChoice();
    connectContinuousWrite();
    connect(menus_.operationsLog, &QAction::triggered, this, &MainWindow::showOperationsLog);
    connect(menus_.exit, &QAction::triggered, this, &QWidget::close);
    connect(menus_.instructions, &QAction::triggered, this, [] { showInstructionsWindow(); });
    connect(menus_.about, &QAction::triggered, this, [] { showAboutWindow(); });

    connect(transfers_, &TransferController::writeEnded, this, [this] {
        if (closeAfterWrite_) {
            close();
        }
    });
#ifndef QT_NO_SESSIONMANAGER
    // The desktop session is ending: it may not wait for a close, so what the
    // user typed is stored now.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { commitPendingEdits(); });
#endif
    // The program can also end without a close at all, once its event loop
    // has stopped.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { shutDown(); });
}

namespace {
const QString kVerifyKey = QStringLiteral("verifyAfterWrite");
}

// 写后校验 is on the first time and then as the user left it: the radio never
// acknowledges a write, so without the read-back a radio that is switched off
// would be reported as written.
void MainWindow::connectVerifyChoice() {
    const bool on =
        services_.settings == nullptr || services_.settings->value(kVerifyKey, true).toBool();
    menus_.verify->setChecked(on);
    transfers_->session().setVerifyAfterWrite(on);
    connect(menus_.verify, &QAction::toggled, this, [this](bool checked) {
        transfers_->session().setVerifyAfterWrite(checked);
        // A settings file Qt could not read would be written anew with only what it made out.
        if (services_.settings != nullptr && services_.settings->status() == QSettings::NoError) {
            services_.settings->setValue(kVerifyKey, checked);
            services_.settings->sync();
        }
    });
}

namespace {

// A file operation as the operations log names it: its menu entry's name.
QString operationName(OperationOutcomes::Operation what) {
    switch (what) {
        case OperationOutcomes::Operation::Open:
            return QStringLiteral("打开");
        case OperationOutcomes::Operation::Save:
            return QStringLiteral("保存");
        case OperationOutcomes::Operation::Restore:
            return QStringLiteral("恢复备份");
        case OperationOutcomes::Operation::Import:
            return QStringLiteral("导入CSV");
        case OperationOutcomes::Operation::Export:
            return QStringLiteral("导出CSV");
    }
    return {};
}

}  // namespace

// 连续写入 is off at every start. Its count takes the right of the status bar
// while it is on. The operations log follows the session and the mode.
void MainWindow::connectContinuousWrite() {
    continuous_ = new ContinuousWriteActions({menus_.continuous, controls_.status, statusBar_},
                                             *transfers_, services_.store, services_.port,
                                             *focusKeeper_, services_.timing, this);
    connect(continuous_, &ContinuousWriteActions::readyToClose, this, &QWidget::close);
    log_->follow(transfers_->session(), &continuous_->mode());
    // Port changes, lost and returned lines, as the status bar tells them.
    connect(portKeeper_, &PortKeeper::statusChanged, log_,
            [this](const QString& text) { log_->add(QStringLiteral("端口"), text); });
}

void MainWindow::showOperationsLog() {
    if (logWindow_ == nullptr) {
        logWindow_ = new OperationsLogWindow(*log_, services_.files, *focusKeeper_, this);
    }
    logWindow_->show();
    logWindow_->raise();
    logWindow_->activateWindow();
}

// The port on the left; on the right how the last read, write, verify or file
// operation ended, which stays until the next one.
void MainWindow::connectStatusBar() {
    statusBar_->setPortText(portKeeper_->statusText());
    connect(portKeeper_, &PortKeeper::statusChanged, statusBar_, &StatusBar::setPortText);
    connect(portKeeper_, &PortKeeper::note, statusBar_, &StatusBar::showOutcome);
    // A cable back from a loss is polled again, whatever the watch did before.
    connect(portKeeper_, &PortKeeper::returned, transfers_, [this] {
        if (!transfers_->isBusy()) {
            transfers_->startReadyWatch();
        }
    });
    RadioSession& session = transfers_->session();
    connect(&session, &RadioSession::outcome, statusBar_, &StatusBar::showOutcome);
    connect(&session, &RadioSession::radioReady, portKeeper_, &PortKeeper::radioAnswered);
}

void MainWindow::runFileAction(OperationOutcomes::Operation what,
                               const std::function<void()>& action) {
    if (const auto outcome = outcomes_->run(what, action)) {
        statusBar_->showOutcome(*outcome);
        log_->add(operationName(what), *outcome);
    }
}

void MainWindow::startUp() {
    show();
    controls_.date->setText(dateText(services_.today));
    services_.store.setCurrentRow(0);
    portKeeper_->openAtStartUp(services_.explicitPort,
                               [this](const UserMessage& message) { showMessage(message); });
    transfers_->startReadyWatch();
}

void MainWindow::openFile(const QString& path) {
    fileActions_->openNamed(path);
}

void MainWindow::showMessage(const UserMessage& message) {
    focusKeeper_->show(this, message);
}

void MainWindow::commitPendingEdits() {
    grid_->finishEditing();
    services_.store.commitPending();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (continuous_->holdClose()) {
        // A continuous write finishes the radio in hand, its verify included.
        commitPendingEdits();
        event->ignore();
        return;
    }
    if (transfers_->isWriting()) {
        // Cut short, the radio would keep "A" and part of the table. The write
        // ends within its drain limit; until then what was typed is safe.
        commitPendingEdits();
        closeAfterWrite_ = true;
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}

// Closing the window ends its work: nothing typed is lost, a read is abandoned,
// the timers stop and the port is released. The small windows are not ours and
// stay until closed.
void MainWindow::shutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    grid_->finishEditing();
    keepTableAtExit(services_.store, controls_.squelch->currentText(), *focusKeeper_, this);
    transfers_->shutDown();
    services_.port.close();
    Q_EMIT closed();
}

}  // namespace qm3270

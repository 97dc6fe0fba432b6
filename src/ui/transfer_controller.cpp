#include "ui/transfer_controller.h"

#include "channels/channel_table_model.h"
#include "session/radio_session.h"
#include "ui/message_presenter.h"
#include "ui/table_history.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QWidget>

namespace qm3270 {

namespace {

// ProgressBar1 moves by 6 per channel, from 0 for the first.
constexpr int kBarStep = 6;

void setMenuEnabled(QMenu* menu, bool enabled) {
    menu->setEnabled(enabled);
    menu->menuAction()->setEnabled(enabled);
}

}  // namespace

TransferController::TransferController(const TransferWidgets& widgets, ChannelStore& store,
                                       ChannelTableModel& model, Port& port,
                                       MessagePresenter& messages, const LinkTiming& timing,
                                       QWidget* window)
    : QObject(window),
      widgets_(widgets),
      model_(model),
      session_(new RadioSession(store, port, timing, this)) {
    QComboBox* squelch = widgets_.squelch;
    session_->setSquelchSource([squelch] { return squelch->currentText(); });
    TableHistory* history = widgets_.history;
    session_->setReplaceScope([history](const std::function<void()>& replace) {
        const auto step = TableHistory::replacing(history, QStringLiteral("读信道"));
        replace();
    });

    connect(session_, &RadioSession::statusChanged, widgets_.status, &QLabel::setText);
    connect(session_, &RadioSession::channelProgress, widgets_.progress, [this](int channel) {
        widgets_.progress->setValue(channel > 0 ? (channel - 1) * kBarStep : 0);
    });
    connect(session_, &RadioSession::squelchRead, squelch, &QComboBox::setEditText);
    connect(session_, &RadioSession::message, this,
            [this, &messages, window](const UserMessage& message) {
                if (!quiet_()) {
                    messages.show(window, message);
                }
            });
    connect(session_, &RadioSession::busyChanged, this, &TransferController::updateMenus);
    connect(session_, &RadioSession::writeEnded, this, &TransferController::writeEnded);
}

QString TransferController::squelchText() const {
    return widgets_.squelch->currentText();
}

void TransferController::startReadyWatch() {
    session_->startReadyWatch();
}

bool TransferController::isBusy() const {
    return session_->isBusy();
}

bool TransferController::isWriting() const {
    return session_->isWriting();
}

void TransferController::startWrite() {
    session_->startWrite(widgets_.squelch->currentText());
}

void TransferController::startRead() {
    session_->startRead();
}

void TransferController::stopTransfers() {
    session_->stopTransfers();
}

void TransferController::shutDown() {
    session_->shutDown();
}

void TransferController::updateMenus() {
    const bool writing = session_->isWriting();
    const bool reading = session_->isReading();  // a verify counts as a read
    const bool idle = !writing && !reading;
    // A read is about to replace the table: the grid takes no edits meanwhile.
    model_.setLocked(session_->isReadingTable());
    // A transfer never disables its own entry, and 文件 stays usable, but a read
    // is about to replace the table, so opening a file must wait for it.
    widgets_.readAction->setEnabled(!writing);
    widgets_.writeAction->setEnabled(!reading);
    widgets_.openAction->setEnabled(!reading);
    setMenuEnabled(widgets_.systemMenu, idle);
    widgets_.exitAction->setEnabled(idle);
    setMenuEnabled(widgets_.helpMenu, idle);
    Q_EMIT busyChanged(!idle);
}

}  // namespace qm3270

#include "ui/transfer_controller.h"

#include "channels/channel_store.h"
#include "channels/channel_table_model.h"
#include "channels/messages.h"
#include "link/frame_codec.h"
#include "link/messages.h"
#include "link/port.h"
#include "link/read_transfer.h"
#include "link/ready_watch.h"
#include "link/status_eraser.h"
#include "link/write_data.h"
#include "link/write_transfer.h"
#include "ui/message_presenter.h"
#include "ui/table_history.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QWidget>

#include <variant>

namespace qm3270 {

namespace {

// What the status line says about the radio.
constexpr char16_t kWriting[] = u"正在传送数据,,,,,,,";
constexpr char16_t kWriteDone[] = u"数据传送完毕...";
constexpr char16_t kReadDone[] = u"读出信道数据完毕！";
constexpr char16_t kRadioReady[] = u"对讲机就绪...";

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
      store_(store),
      model_(model),
      port_(port),
      messages_(messages),
      timing_(timing),
      window_(window),
      watch_(new ReadyWatch(port, timing, this)),
      eraser_(new StatusEraser(timing, this)),
      write_(new WriteTransfer(port, timing, this)),
      read_(new ReadTransfer(port, timing, this)) {
    connectTransfers();
}

void TransferController::connectTransfers() {
    connect(watch_, &ReadyWatch::ready, this,
            [this] { widgets_.status->setText(QString::fromUtf16(kRadioReady)); });
    connect(eraser_, &StatusEraser::erase, this, [this] { widgets_.status->clear(); });

    connect(write_, &WriteTransfer::progress, widgets_.progress, &QProgressBar::setValue);
    connect(write_, &WriteTransfer::finished, this, &TransferController::writeFinished);
    connect(write_, &WriteTransfer::failed, this, &TransferController::writeFailed);
    connectRead();
}

void TransferController::connectRead() {
    connect(read_, &ReadTransfer::progress, widgets_.progress, &QProgressBar::setValue);
    connect(read_, &ReadTransfer::succeeded, this, &TransferController::readSucceeded);
    connect(read_, &ReadTransfer::failed, this, &TransferController::readFailed);
}

// A read has no way to stop half-way. A fresh one in its place drops the old
// exchange at once: its timers, its hold on the port and the frames so far.
void TransferController::abandonRead() {
    delete read_;
    read_ = new ReadTransfer(port_, timing_, this);
    connectRead();
}

void TransferController::startReadyWatch() {
    watch_->start();
}

bool TransferController::isBusy() const {
    return write_->isRunning() || read_->isRunning();
}

bool TransferController::isWriting() const {
    return write_->isRunning();
}

void TransferController::startWrite() {
    if (!port_.isOpen()) {
        messages_.show(window_, link_messages::portMessage(link_messages::kPortNotOpen));
        return;
    }
    if (isBusy()) {
        return;  // one transfer at a time: a second "A" would scramble the radio
    }
    // The radio gets exactly the table the user saw at the click, a pending
    // edit included; later edits wait for the next write.
    store_.commitPending();
    const auto built = buildWriteFrames(widgets_.squelch->currentText(), store_.records());
    if (const auto* refused = std::get_if<RefusedRow>(&built)) {
        messages_.show(window_, refused->message);
        return;  // nothing sent, nothing changed
    }
    // Frame 1 carries the squelch level where a channel header would be, so the
    // first row always stands for channel 1.
    store_.setField(0, kChannelNumber, QStringLiteral("1"));
    watch_->stop();
    write_->start(std::get<QStringList>(built));
    widgets_.status->setText(QString::fromUtf16(kWriting));
    updateMenus();
}

void TransferController::writeFinished() {
    widgets_.progress->setValue(0);
    widgets_.status->setText(QString::fromUtf16(kWriteDone));
    updateMenus();
    watch_->start();
    eraser_->start();
    Q_EMIT writeEnded();
}

void TransferController::writeFailed(const UserMessage& message) {
    messages_.show(window_, message);
    widgets_.progress->setValue(0);
    widgets_.status->clear();
    updateMenus();
    watch_->start();
    Q_EMIT writeEnded();
}

void TransferController::startRead() {
    if (!port_.isOpen()) {
        messages_.show(window_, link_messages::portMessage(link_messages::kPortNotOpen));
        return;
    }
    if (isBusy()) {
        return;
    }
    store_.commitPending();
    // The radio's answer to a poll sent now would arrive in the middle of the
    // read; stop polling before the read is even armed.
    watch_->stop();
    model_.setLocked(true);
    read_->start();
    updateMenus();
}

void TransferController::readSucceeded(const QStringList& frames) {
    const frame::DecodedTable decoded = frame::decodeFrames(frames);
    const auto step = TableHistory::replacing(widgets_.history, QStringLiteral("读信道"));
    // All 16 rows or none; the squelch box only once the table has taken them.
    if (!store_.replaceColumns(decoded.rows, {kReceive, kTransmit, kBeat})) {
        // The radio answered well; it is the database that refused the table.
        readFailed(channel_messages::databaseRefused(store_.path(), store_.lastError()));
        return;
    }
    widgets_.squelch->setEditText(decoded.squelch);  // through the box's own limit rule
    widgets_.status->setText(QString::fromUtf16(kReadDone));
    widgets_.progress->setValue(0);
    eraser_->start();
    watch_->start();
    model_.setLocked(false);
    updateMenus();
}

void TransferController::readFailed(const UserMessage& message) {
    messages_.show(window_, message);
    watch_->start();
    widgets_.progress->setValue(0);
    widgets_.status->clear();
    model_.setLocked(false);
    updateMenus();
}

void TransferController::stopTransfers() {
    if (write_->isRunning()) {
        write_->interrupt();
    }
    if (read_->isRunning()) {
        abandonRead();
        readFailed(link_messages::transferError(link_messages::kReadFailed));
    }
}

void TransferController::shutDown() {
    if (read_->isRunning()) {
        abandonRead();
    }
    if (write_->isRunning()) {
        // Only when the program ends without its window's close (the event loop
        // has gone): nobody is left to read a message.
        const QSignalBlocker quiet(write_);
        write_->interrupt();
    }
    watch_->stop();
    eraser_->stop();
}

void TransferController::updateMenus() {
    const bool writing = write_->isRunning();
    const bool reading = read_->isRunning();
    const bool idle = !writing && !reading;
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

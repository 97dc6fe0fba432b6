#include "session/radio_session.h"

#include "channels/channel_store.h"
#include "channels/messages.h"
#include "link/frame_codec.h"
#include "link/messages.h"
#include "link/port.h"
#include "link/read_transfer.h"
#include "link/ready_watch.h"
#include "link/status_eraser.h"
#include "link/write_data.h"
#include "link/write_transfer.h"
#include "session/messages.h"

#include <QDateTime>
#include <QSignalBlocker>

#include <utility>
#include <variant>

namespace qm3270 {

namespace {

// The transfers count 0, 6, ... 90 as channels 1..16 go.
constexpr int kProgressStep = 6;

QString text(const char16_t* fixed) {
    return QString::fromUtf16(fixed);
}

}  // namespace

RadioSession::RadioSession(ChannelStore& store, Port& port, const LinkTiming& timing,
                           QObject* parent)
    : QObject(parent),
      store_(store),
      port_(port),
      timing_(timing),
      watch_(new ReadyWatch(port, timing, this)),
      eraser_(new StatusEraser(timing, this)),
      write_(new WriteTransfer(port, timing, this)),
      read_(new ReadTransfer(port, timing, this)),
      squelchSource_([] { return QString(); }),
      replaceScope_([](const std::function<void()>& replace) { replace(); }) {
    if (store_.path() != QStringLiteral(":memory:")) {
        backupFolder_ = BackupFolder::forDatabase(store_.path());
    }
    connectTransfers();
}

RadioSession::~RadioSession() = default;

void RadioSession::setSquelchSource(std::function<QString()> source) {
    squelchSource_ = std::move(source);
}

void RadioSession::setReplaceScope(ReplaceScope scope) {
    replaceScope_ = std::move(scope);
}

void RadioSession::setBackupFolder(const QString& folder) {
    backupFolder_ = folder;
}

QString RadioSession::backupFolder() const {
    return backupFolder_;
}

void RadioSession::setVerifyAfterWrite(bool on) {
    verifyAfterWrite_ = on;
}

bool RadioSession::verifyAfterWrite() const {
    return verifyAfterWrite_;
}

void RadioSession::connectTransfers() {
    connect(watch_, &ReadyWatch::ready, this, [this] {
        Q_EMIT statusChanged(text(session_messages::kRadioReady));
        Q_EMIT radioReady();
    });
    // Every message of the session ends or refuses a transfer.
    connect(this, &RadioSession::message, this, [this](const UserMessage& message) {
        Q_EMIT outcome(message.text.section(u'\n', 0, 0));
    });
    connect(eraser_, &StatusEraser::erase, this, [this] { Q_EMIT statusChanged(QString()); });

    connect(write_, &WriteTransfer::progress, this, &RadioSession::reportProgress);
    connect(write_, &WriteTransfer::finished, this, &RadioSession::writeFinished);
    connect(write_, &WriteTransfer::failed, this, &RadioSession::writeFailed);
    connectRead();
}

void RadioSession::connectRead() {
    connect(read_, &ReadTransfer::progress, this, &RadioSession::reportProgress);
    connect(read_, &ReadTransfer::succeeded, this, [this](const QStringList& frames) {
        if (verifying_) {
            verifySucceeded(frames);
        } else if (readingRadio_) {
            TransferEnd end;
            end.frames = frames;
            endRead(QString(), end);
        } else {
            readSucceeded(frames);
        }
    });
    connect(read_, &ReadTransfer::failed, this,
            [this](const UserMessage& failure) { readFailed(failure); });
}

// A read has no way to stop half-way. A fresh one in its place drops the old
// exchange at once: its timers, its hold on the port and the frames so far.
void RadioSession::abandonRead() {
    delete read_;
    read_ = new ReadTransfer(port_, timing_, this);
    connectRead();
}

void RadioSession::reportProgress(int barValue) {
    Q_EMIT channelProgress(barValue / kProgressStep + 1);
}

void RadioSession::changeBusy() {
    Q_EMIT busyChanged(isBusy());
}

void RadioSession::startReadyWatch() {
    watch_->start();
}

bool RadioSession::isBusy() const {
    return write_->isRunning() || read_->isRunning();
}

bool RadioSession::isWriting() const {
    return write_->isRunning();
}

bool RadioSession::isReading() const {
    return read_->isRunning();
}

bool RadioSession::isReadingTable() const {
    return read_->isRunning() && !verifying_ && !readingRadio_;
}

// A transfer needs the port, and only one may run: a second "A" or "5" in the
// middle of the frames would scramble the radio.
bool RadioSession::refuseStart() {
    if (!port_.isOpen()) {
        Q_EMIT message(link_messages::portMessage(link_messages::kPortNotOpen));
        return true;
    }
    return isBusy();
}

void RadioSession::startWrite(const QString& squelchText, ReadBack readBack) {
    if (refuseStart()) {
        return;
    }
    // The radio gets exactly the table the user saw at the click, a pending
    // edit included; later edits wait for the next write.
    store_.commitPending();
    const ChannelTable rows = store_.records();
    const auto built = buildWriteFrames(squelchText, rows);
    if (const auto* refused = std::get_if<RefusedRow>(&built)) {
        Q_EMIT message(refused->message);
        return;  // nothing sent, nothing changed
    }
    // Frame 1 carries the squelch level where a channel header would be, so the
    // first row always stands for channel 1.
    store_.setField(0, kChannelNumber, QStringLiteral("1"));
    writtenFrames_ = std::get<QStringList>(built);
    writtenRows_ = store_.records();
    writtenSquelch_ = squelchText;
    verifyThisWrite_ = verifyAfterWrite_ || readBack == ReadBack::Always;
    watch_->stop();
    write_->start(writtenFrames_);
    Q_EMIT statusChanged(text(session_messages::kWriting));
    changeBusy();
}

void RadioSession::writeFinished() {
    Q_EMIT channelProgress(0);
    Q_EMIT statusChanged(text(session_messages::kWriteDone));
    Q_EMIT outcome(text(session_messages::kWriteDone));
    // The radio has the table now, whatever the disk says: a backup that
    // cannot be saved is told, but the write stays one that went well.
    if (const auto failure = backUp(BackupFolder::Event::Written, writtenSquelch_, writtenRows_)) {
        Q_EMIT message(*failure);
    }
    if (verifyThisWrite_ && port_.isOpen()) {
        // Straight on to the read-back: no poll may come in between, and the
        // menus stay as they are for a read.
        verifying_ = true;
        read_->start();
        Q_EMIT statusChanged(text(session_messages::kVerifying));
        changeBusy();
    } else {
        changeBusy();
        watch_->start();
        eraser_->start();
    }
    Q_EMIT writeEnded();
    TransferEnd end;
    end.kind = TransferEnd::Kind::Write;
    end.status = text(session_messages::kWriteDone);
    Q_EMIT transferEnded(end);
}

void RadioSession::writeFailed(const UserMessage& failure) {
    Q_EMIT message(failure);
    Q_EMIT channelProgress(0);
    Q_EMIT statusChanged(QString());
    changeBusy();
    watch_->start();
    Q_EMIT writeEnded();
    TransferEnd end;
    end.kind = TransferEnd::Kind::Write;
    end.failure = failure;
    Q_EMIT transferEnded(end);
}

void RadioSession::startRead() {
    if (refuseStart()) {
        return;
    }
    store_.commitPending();
    // The radio's answer to a poll sent now would arrive in the middle of the
    // read; stop polling before the read is even armed.
    watch_->stop();
    verifying_ = false;
    read_->start();
    // The table cannot change while the read runs, so it is kept now, while the
    // read waits for its first tick, and not between the last digit and the
    // table. If it cannot be kept, the read ends before the radio hears of it.
    if (const auto failure =
            backUp(BackupFolder::Event::BeforeRead, squelchSource_(), store_.records())) {
        abandonRead();
        Q_EMIT message(*failure);
        watch_->start();
        return;
    }
    changeBusy();
}

void RadioSession::startRadioRead() {
    if (refuseStart()) {
        return;
    }
    watch_->stop();
    verifying_ = false;
    readingRadio_ = true;
    read_->start();
    changeBusy();
}

void RadioSession::pauseReadyWatch() {
    watch_->stop();
    eraser_->stop();
}

void RadioSession::readSucceeded(const QStringList& frames) {
    const frame::DecodedTable decoded = frame::decodeFrames(frames);
    bool stored = false;
    replaceScope_([&] {
        // All 16 rows or none; the squelch level only once the table has taken them.
        stored = store_.replaceColumns(decoded.rows, {kReceive, kTransmit, kBeat});
        if (stored) {
            Q_EMIT squelchRead(decoded.squelch);
        }
    });
    if (!stored) {
        // The radio answered well; it is the database that refused the table.
        readFailed(channel_messages::databaseRefused(store_.path(), store_.lastError()));
        return;
    }
    endRead(text(session_messages::kReadDone));
    Q_EMIT outcome(text(session_messages::kReadDone));
    eraser_->start();
}

namespace {

// A channel's values as a read stores them, the way the grid shows them.
QString channelValues(const QString& frameText, int channel) {
    const frame::DecodedFrame decoded = frame::decodeFrame(frameText);
    QStringList fields;
    for (const int column : {kReceive, kTransmit, kBeat}) {
        fields << decoded.record[column].value_or(QString());
    }
    const QString values = fields.join(QStringLiteral(", "));
    return channel == 1 ? text(session_messages::kSquelchAndValues).arg(decoded.squelch, values)
                        : values;
}

}  // namespace

void RadioSession::verifySucceeded(const QStringList& frames) {
    const QList<int> differing = frame::differingChannels(writtenFrames_, frames);
    if (!differing.isEmpty()) {
        QStringList differences;
        for (const int channel : differing) {
            const auto k = channel - 1;
            differences << text(session_messages::kVerifyDifference)
                               .arg(channel)
                               .arg(channelValues(writtenFrames_.value(k), channel),
                                    channelValues(frames.value(k), channel));
        }
        readFailed(session_messages::verifyDiffers(differing, differences), differing);
        return;
    }
    endRead(text(session_messages::kVerified));
    Q_EMIT outcome(text(session_messages::kVerified));
    eraser_->start();
}

void RadioSession::readFailed(const UserMessage& failure, const QList<int>& differing) {
    // A verify that got no good answer says what that means for the write.
    const UserMessage told = verifying_ && failure.text == text(link_messages::kReadFailed)
                                 ? session_messages::verifyFailed(failure.detail)
                                 : failure;
    Q_EMIT message(told);
    TransferEnd end;
    end.failure = told;
    end.differing = differing;
    endRead(QString(), end);
}

// The end steps of every read and verify, whatever its outcome.
void RadioSession::endRead(const QString& status, TransferEnd end) {
    end.kind = verifying_      ? TransferEnd::Kind::Verify
               : readingRadio_ ? TransferEnd::Kind::RadioRead
                               : TransferEnd::Kind::Read;
    end.status = status;
    verifying_ = false;
    readingRadio_ = false;
    Q_EMIT statusChanged(status);
    Q_EMIT channelProgress(0);
    watch_->start();
    changeBusy();
    Q_EMIT transferEnded(end);
}

std::optional<UserMessage> RadioSession::backUp(BackupFolder::Event event, const QString& squelch,
                                                const ChannelTable& rows) const {
    if (backupFolder_.isEmpty()) {
        return std::nullopt;
    }
    const auto saved =
        BackupFolder(backupFolder_).save(event, squelch, rows, QDateTime::currentDateTime());
    if (const auto* failure = std::get_if<UserMessage>(&saved)) {
        return *failure;
    }
    return std::nullopt;
}

void RadioSession::stopTransfers() {
    if (write_->isRunning()) {
        write_->interrupt();
    }
    if (read_->isRunning()) {
        abandonRead();
        readFailed(link_messages::transferError(link_messages::kReadFailed));
    }
}

void RadioSession::shutDown() {
    if (read_->isRunning()) {
        abandonRead();
        verifying_ = false;
        readingRadio_ = false;
    }
    if (write_->isRunning()) {
        // Only when the program ends without its owner's close (the event loop
        // has gone): nobody is left to read a message.
        const QSignalBlocker quiet(write_);
        write_->interrupt();
    }
    watch_->stop();
    eraser_->stop();
}

}  // namespace qm3270

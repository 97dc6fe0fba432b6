#include "session/continuous_write.h"

#include "channels/channel_store.h"
#include "file/backup_folder.h"
#include "link/frame_codec.h"
#include "link/messages.h"
#include "link/port.h"
#include "link/write_data.h"
#include "session/continuous_messages.h"
#include "session/messages.h"
#include "session/radio_session.h"

#include <QDateTime>
#include <QTimer>

#include <utility>
#include <variant>

namespace qm3270 {

namespace {

QString text(const char16_t* fixed) {
    return QString::fromUtf16(fixed);
}

// The radio's 16 frames as a table for its backup: each row at its position.
ChannelTable radioTable(const frame::DecodedTable& decoded) {
    ChannelTable rows = decoded.rows;
    for (int row = 0; row < kChannelCount; ++row) {
        rows.at(static_cast<std::size_t>(row))[kChannelNumber] = QString::number(row + 1);
    }
    return rows;
}

}  // namespace

QString ContinuousWrite::Radio::logLine() const {
    const QString prefix = text(continuous_messages::kRadio).arg(number);
    switch (outcome) {
        case Outcome::Verified:
            return prefix + text(continuous_messages::kVerified);
        case Outcome::NotRead:
            return prefix + text(continuous_messages::kNotRead);
        default:
            break;
    }
    return prefix + (failure ? failure->text : text(session_messages::kWriteDone));
}

ContinuousWrite::ContinuousWrite(RadioSession& session, ChannelStore& store, Port& port,
                                 const LinkTiming& timing, QObject* parent)
    : QObject(parent),
      session_(session),
      store_(store),
      port_(port),
      squelchSource_([] { return QString(); }),
      departureTimer_(new QTimer(this)) {
    departureTimer_->setInterval(timing.readyTick);
    connect(departureTimer_, &QTimer::timeout, this, &ContinuousWrite::departureTick);
    connect(&session_, &RadioSession::radioReady, this, &ContinuousWrite::radioAnswered);
    // Queued: whoever else hears the end of a transfer still finds the radio in
    // hand (the operations log leaves the mode's own transfers to it).
    connect(&session_, &RadioSession::transferEnded, this, &ContinuousWrite::transferEnded,
            Qt::QueuedConnection);
}

ContinuousWrite::~ContinuousWrite() = default;

void ContinuousWrite::setSquelchSource(std::function<QString()> source) {
    squelchSource_ = std::move(source);
}

std::optional<UserMessage> ContinuousWrite::start() {
    if (state_ == State::Serving) {
        stopAsked_ = false;  // turned on again before the radio in hand was done
        return std::nullopt;
    }
    if (isOn() || session_.isBusy()) {
        return std::nullopt;
    }
    const auto built = buildWriteFrames(squelchSource_(), store_.records());
    if (const auto* refused = std::get_if<RefusedRow>(&built)) {
        return refused->message;
    }
    state_ = State::Waiting;
    stopAsked_ = false;
    endReason_.reset();
    number_ = succeeded_ = failed_ = 0;
    Q_EMIT countsChanged(0, 0);
    // The watch stops once a radio has answered: a radio already on the line
    // answers again and is the first.
    session_.startReadyWatch();
    return std::nullopt;
}

void ContinuousWrite::stop() {
    if (state_ == State::Serving) {
        stopAsked_ = true;  // the radio in hand is finished first
        return;
    }
    if (isOn()) {
        end(std::nullopt);
    }
}

void ContinuousWrite::radioAnswered() {
    if (state_ == State::Departing) {
        // A returning cable has started the watch: the radio is not gone yet.
        session_.pauseReadyWatch();
        sinceAnswer_.start();
        Q_EMIT statusChanged(text(continuous_messages::kNextRadio));
        return;
    }
    if (state_ != State::Waiting || session_.isBusy()) {
        return;
    }
    state_ = State::Serving;
    radio_ = Radio();
    radio_.number = ++number_;
    session_.startRadioRead();
    if (!session_.isReading()) {
        finishRadio(Radio::Outcome::NotRead,
                    link_messages::portMessage(link_messages::kPortNotOpen));
    }
}

void ContinuousWrite::transferEnded(const TransferEnd& end) {
    if (state_ == State::Waiting) {
        // The user read or wrote the radio on the line by hand: it is served.
        waitForDeparture();
        return;
    }
    if (state_ == State::Departing) {
        session_.pauseReadyWatch();  // a transfer by hand has started the watch again
        return;
    }
    if (state_ != State::Serving) {
        return;
    }
    switch (end.kind) {
        case TransferEnd::Kind::RadioRead:
            radioRead(end);
            return;
        case TransferEnd::Kind::Write:
            if (end.failure) {
                finishRadio(Radio::Outcome::WriteFailed, end.failure);
            } else if (!session_.isReading()) {
                // The line was gone before the read-back could start: whether
                // the radio holds the table is not known.
                finishRadio(Radio::Outcome::VerifyFailed,
                            link_messages::portMessage(link_messages::kPortNotOpen));
            }  // else the verify has begun
            return;
        case TransferEnd::Kind::Verify:
            if (!end.failure) {
                finishRadio(Radio::Outcome::Verified, std::nullopt);
            } else {
                finishRadio(end.differing.isEmpty() ? Radio::Outcome::VerifyFailed
                                                    : Radio::Outcome::VerifyDiffers,
                            end.failure, end.differing);
            }
            return;
        case TransferEnd::Kind::Read:
            return;
    }
}

// The radio's own table is kept before anything overwrites it; without that
// backup the radio is not written.
void ContinuousWrite::radioRead(const TransferEnd& end) {
    if (end.failure) {
        finishRadio(Radio::Outcome::NotRead, end.failure);
        return;
    }
    const QString folder = session_.backupFolder();
    if (!folder.isEmpty()) {
        const frame::DecodedTable decoded = frame::decodeFrames(end.frames);
        const auto saved =
            BackupFolder(folder).save(BackupFolder::Event::BeforeWrite, decoded.squelch,
                                      radioTable(decoded), QDateTime::currentDateTime());
        if (const auto* failure = std::get_if<UserMessage>(&saved)) {
            endReason_ = *failure;
            finishRadio(Radio::Outcome::NotBackedUp, *failure);
            return;
        }
        radio_.backupPath = std::get<QString>(saved);
    }
    writeRadio();
}

// The table as it stands now goes to this radio, with the write's own checks.
void ContinuousWrite::writeRadio() {
    const QString squelch = squelchSource_();
    const auto built = buildWriteFrames(squelch, store_.records());
    if (const auto* refused = std::get_if<RefusedRow>(&built)) {
        endReason_ = refused->message;
        finishRadio(Radio::Outcome::Refused, refused->message);
        return;
    }
    session_.startWrite(squelch, RadioSession::ReadBack::Always);
    if (!session_.isWriting()) {
        finishRadio(Radio::Outcome::WriteFailed,
                    link_messages::portMessage(link_messages::kPortNotOpen));
    }
}

void ContinuousWrite::finishRadio(Radio::Outcome outcome, const std::optional<UserMessage>& failure,
                                  const QList<int>& differing) {
    radio_.outcome = outcome;
    radio_.failure = failure;
    radio_.differing = differing;
    if (radio_.succeeded()) {
        ++succeeded_;
    } else {
        ++failed_;
    }
    Q_EMIT radioDone(radio_);
    Q_EMIT countsChanged(succeeded_, failed_);
    if (stopAsked_ || endReason_) {
        const std::optional<UserMessage> reason = endReason_;  // end() forgets it
        end(reason);
        return;
    }
    waitForDeparture();
}

void ContinuousWrite::waitForDeparture() {
    state_ = State::Departing;
    session_.pauseReadyWatch();
    Q_EMIT statusChanged(text(continuous_messages::kNextRadio));
    sinceAnswer_.start();
    departureTimer_->start();
}

// Polls as the ready watch does, but only to hear whether the radio is still
// there: every answer starts the quiet second again.
void ContinuousWrite::departureTick() {
    if (session_.isBusy()) {
        // A read or write started by hand owns the line; its radio is there.
        sinceAnswer_.start();
        return;
    }
    if (port_.isOpen()) {
        bool answered = false;
        while (port_.waitingCount() > 0) {
            answered = port_.readOne() == QLatin1Char(frame::kReadyPoll) || answered;
        }
        if (answered) {
            sinceAnswer_.start();
        }
    }
    if (sinceAnswer_.hasExpired(goneAfter_.count())) {
        departureTimer_->stop();
        state_ = State::Waiting;
        Q_EMIT statusChanged(QString());
        session_.startReadyWatch();
        return;
    }
    if (port_.isOpen()) {
        port_.send(QByteArray(1, frame::kReadyPoll));
    }
}

void ContinuousWrite::end(const std::optional<UserMessage>& reason) {
    const bool departing = state_ == State::Departing;
    departureTimer_->stop();
    state_ = State::Off;
    stopAsked_ = false;
    endReason_.reset();
    if (departing) {
        Q_EMIT statusChanged(QString());
    }
    if (!session_.isBusy()) {
        session_.startReadyWatch();
    }
    Q_EMIT ended(reason);
}

}  // namespace qm3270

#pragma once

#include "channels/user_message.h"
#include "link/link_timing.h"
#include "session/transfer_end.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QTimer;

namespace qm3270 {

class ChannelStore;
class Port;
class RadioSession;

// One radio after another on one cable, each given the table as it stands when
// its turn comes. A radio that answers the ready poll after the line was quiet
// (the one already answering at start() is the first) is read into a
// before-write backup (never into the table), written through the session's
// own write with its checks, and verified when the session verifies. Then the
// mode waits until the radio has stopped answering polls for a second (switched
// off or unplugged), so a radio that keeps answering is never written twice,
// and the next answer is the next radio. A failed radio is counted and the mode
// goes on; a backup that cannot be saved, or a table the write refuses, ends
// the mode before the radio is written.
//
// stop() never cuts a radio short: the mode ends once the radio in hand has
// been written and verified.
class ContinuousWrite : public QObject {
    Q_OBJECT

public:
    // What became of one radio.
    struct Radio {
        enum class Outcome {
            Verified,       // written, and it holds the table
            NotRead,        // its own table did not come: not written
            NotBackedUp,    // its own table could not be saved: not written, the mode ends
            Refused,        // the table is one the radio must not get: not written, the mode ends
            WriteFailed,    // the write broke off
            VerifyDiffers,  // it holds other channels than were written (`differing`)
            VerifyFailed,   // no good answer to the read-back
        };
        int number = 0;  // 1 for the first radio of the run
        Outcome outcome = Outcome::NotRead;
        std::optional<UserMessage> failure;  // none when it ended well
        QList<int> differing;
        QString backupPath;  // where its own table went; empty when none was saved

        bool succeeded() const { return outcome == Outcome::Verified; }
        // "第 3 台：写入并校验正确", "第 4 台：" + the failure's message, ...
        QString logLine() const;
    };

    // How long a radio must leave the polls unanswered to count as gone.
    static constexpr std::chrono::milliseconds kGoneAfter{1000};

    ContinuousWrite(RadioSession& session, ChannelStore& store, Port& port,
                    const LinkTiming& timing, QObject* parent = nullptr);
    ~ContinuousWrite() override;

    // The squelch text of the table now, read again for each radio.
    void setSquelchSource(std::function<QString()> source);
    void setGoneAfter(std::chrono::milliseconds quiet) { goneAfter_ = quiet; }

    // Starts waiting for the first radio. A table the write refuses gives its
    // message back and the mode stays off; a running transfer keeps it off too.
    std::optional<UserMessage> start();
    // Off at once between radios; with a radio in hand, once its write and
    // verify are over. ended() says when.
    void stop();

    bool isOn() const { return state_ != State::Off; }
    bool isServing() const { return state_ == State::Serving; }
    int succeeded() const { return succeeded_; }
    int failed() const { return failed_; }

Q_SIGNALS:
    void statusChanged(const QString& text);  // "请换下一台对讲机..."; "" clears it
    void radioDone(const qm3270::ContinuousWrite::Radio& radio);
    void countsChanged(int succeeded, int failed);
    // The mode is off again: asked for (no reason), or it could not go on.
    void ended(const std::optional<qm3270::UserMessage>& reason);

private:
    enum class State { Off, Waiting, Serving, Departing };

    void radioAnswered();
    void transferEnded(const TransferEnd& end);
    void radioRead(const TransferEnd& end);
    void writeRadio();
    void finishRadio(Radio::Outcome outcome, const std::optional<UserMessage>& failure,
                     const QList<int>& differing = {});
    void waitForDeparture();
    void departureTick();
    void end(const std::optional<UserMessage>& reason);

    RadioSession& session_;
    ChannelStore& store_;
    Port& port_;
    std::function<QString()> squelchSource_;
    std::chrono::milliseconds goneAfter_ = kGoneAfter;
    QTimer* departureTimer_;     // polls the radio that is done until it goes
    QElapsedTimer sinceAnswer_;  // since the radio that is done last answered
    State state_ = State::Off;
    bool stopAsked_ = false;
    std::optional<UserMessage> endReason_;  // why the mode ends after this radio
    Radio radio_;                           // the radio in hand
    int number_ = 0;
    int succeeded_ = 0;
    int failed_ = 0;
};

}  // namespace qm3270

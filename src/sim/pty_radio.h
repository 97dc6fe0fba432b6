#pragma once

#include "sim/radio_engine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>

class QSocketNotifier;

namespace qm3270 {

// A simulated radio on a pseudo-terminal: the program opens the slave side
// (devicePath()) like any serial port, this object serves the master side with
// a RadioEngine. A pty carries bytes at once whatever baud rate is set, so the
// answers are paced here at the radio's line speed.
//
// The slave is held open here too, so the program may close and reopen its
// port as often as it likes: the master never sees the hang-up that the last
// slave closing would cause.
class PtyRadio : public QObject {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;
    // 1200 baud, 8N1: ten bit times a character, 120 characters a second.
    static constexpr int kBaudRate = 1200;
    static constexpr std::chrono::nanoseconds kCharacterTime{10'000'000'000LL / kBaudRate};
    // A write that stops this long before its 320th character is given up;
    // the program sends a frame every 100 ms.
    static constexpr std::chrono::milliseconds kWriteBreakOff{1000};

    explicit PtyRadio(QObject* parent = nullptr);
    ~PtyRadio() override;

    // Memory and faults; may be changed while serving.
    RadioEngine& engine() { return engine_; }
    const RadioEngine& engine() const { return engine_; }

    // Time from the end of what the radio heard to the start of its answer.
    void setReplyDelay(std::chrono::milliseconds delay) { replyDelay_ = delay; }
    // Where memory is saved after each complete write; empty keeps it in memory only.
    void setMemoryFile(const QString& path) { memoryFile_ = path; }
    // Records every character in and out with the time since open(). false: `error` says why.
    bool setLogFile(const QString& path, QString* error);

    // Creates the pseudo-terminal. false: `error` says why.
    bool open(QString* error);
    // Closes the line as a radio that goes away would: the program's port sees a hang-up.
    void close();
    bool isOpen() const { return masterFd_ >= 0; }
    // The slave's path (/dev/pts/N) while open, else empty.
    QString devicePath() const { return devicePath_; }
    // A line of its own in the --log file, with the time.
    void note(const QString& text) { logNote(text); }

Q_SIGNALS:
    void memoryWritten();  // after a complete write, saved if a file is set
    void memorySaveFailed(QString reason);
    void writeBrokenOff(int charactersReceived);
    void hungUp();                             // the hang-up fault closed the line
    void heard(const QByteArray& characters);  // after the radio has taken them
    void answerSent();                         // the last character of an answer has left the radio

private:
    struct Outgoing {
        char character;
        Clock::time_point due;  // when its last bit has left the radio
    };

    void readMaster();
    void queueAnswer(const QByteArray& answer);
    void sendDue();
    void scheduleNextSend();
    void breakOffWrite();
    void hangUp();
    void logCharacters(const char* direction, QByteArrayView characters);
    void logNote(const QString& note);

    RadioEngine engine_;
    std::chrono::milliseconds replyDelay_{0};
    QString memoryFile_;
    QFile log_;

    int masterFd_ = -1;
    int slaveFd_ = -1;
    QString devicePath_;
    QSocketNotifier* notifier_ = nullptr;

    std::deque<Outgoing> outgoing_;
    Clock::time_point lineFreeAt_{};
    QTimer sendTimer_;
    QTimer breakOffTimer_;
    bool hangUpPending_ = false;
    QElapsedTimer sinceOpen_;
};

}  // namespace qm3270

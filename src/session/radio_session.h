#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"
#include "file/backup_folder.h"
#include "link/link_timing.h"
#include "session/transfer_end.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace qm3270 {

class ChannelStore;
class Port;
class ReadTransfer;
class ReadyWatch;
class StatusEraser;
class WriteTransfer;

// The radio workflow without a window: the ready watch, the status eraser, the
// write and the read on one port and one channel store. A write is built at
// the click from the table and the squelch text and refused before anything
// is sent when the radio must not get it; one transfer runs at a time; a read
// reaches the table all at once or not at all; a write that ended well is
// read back and compared when verifying is on; the table is backed up when a
// read starts (one that cannot be kept stops the read before anything is
// sent) and after every write that ended well.
//
// Whoever owns it shows what it says: the status line, the channel in
// progress, the busy state, the messages and the squelch level a read brought.
class RadioSession : public QObject {
    Q_OBJECT

public:
    // Runs `replace` (which changes the table and emits squelchRead) inside
    // whatever the owner wants around it, e.g. one step of its undo history.
    using ReplaceScope = std::function<void(const std::function<void()>& replace)>;

    RadioSession(ChannelStore& store, Port& port, const LinkTiming& timing,
                 QObject* parent = nullptr);
    ~RadioSession() override;

    // The squelch text of the table now, for the backups (the owner keeps it).
    void setSquelchSource(std::function<QString()> source);
    void setReplaceScope(ReplaceScope scope);
    // Where backups go: `backups/` beside the database, none for an in-memory
    // one. An empty folder turns them off.
    void setBackupFolder(const QString& folder);
    QString backupFolder() const;
    void setVerifyAfterWrite(bool on);
    bool verifyAfterWrite() const;

    void startReadyWatch();  // the last step of start-up
    bool isBusy() const;     // a write, a read or a verify is running
    bool isWriting() const;
    bool isReading() const;       // a read or a verify: the port is listening
    bool isReadingTable() const;  // a read that will replace the table

    // Whether a write is read back: as 写后校验 says, or always (a continuous
    // write verifies every radio whatever the setting).
    enum class ReadBack { AsChosen, Always };
    void startWrite(const QString& squelchText,
                    ReadBack readBack = ReadBack::AsChosen);  // 写信道
    void startRead();                                         // 读信道
    // Reads the radio into memory only, never into the table: transferEnded()
    // hands out its frames. The rules of a read hold (the port, one transfer at
    // a time), and the grid stays editable meanwhile.
    void startRadioRead();
    // Someone else listens to the line for a while (a continuous write waiting
    // for a radio to go): the ready watch and the status eraser stop until the
    // next startReadyWatch().
    void pauseReadyWatch();

    // The port is about to change: a running write, read or verify ends as if
    // its line had been lost (its message, the end steps, the watch on), so
    // that no frame goes out on, or is taken from, another port.
    void stopTransfers();
    // The owner is closing: a read or a verify is abandoned without a word (the
    // table stays as it was) and the timers stop. A write is cut short without
    // a message only when nobody waited for it to end.
    void shutDown();

Q_SIGNALS:
    void statusChanged(const QString& text);  // "" clears the status line
    void channelProgress(int channel);        // 1..16 as each channel goes; 0 when idle
    void busyChanged(bool busy);              // with every change of the transfers
    void message(const qm3270::UserMessage& message);
    void squelchRead(const QString& squelch);  // a read's level, inside the replace scope
    void writeEnded();  // after the end steps of a write, whether it went well or not
    void radioReady();  // a radio answered the ready poll
    // After the end steps of every read, write, verify and radio read.
    void transferEnded(const qm3270::TransferEnd& end);
    // A read, write or verify has ended, or was refused: its status text or
    // the first line of its message.
    void outcome(const QString& text);

private:
    void connectTransfers();
    void connectRead();
    void abandonRead();
    bool refuseStart();
    void writeFinished();
    void writeFailed(const UserMessage& failure);
    void readSucceeded(const QStringList& frames);
    void readFailed(const UserMessage& failure, const QList<int>& differing = {});
    void verifySucceeded(const QStringList& frames);
    void endRead(const QString& status, TransferEnd end = {});
    void changeBusy();
    std::optional<UserMessage> backUp(BackupFolder::Event event, const QString& squelch,
                                      const ChannelTable& rows) const;
    void reportProgress(int barValue);

    ChannelStore& store_;
    Port& port_;
    LinkTiming timing_;
    ReadyWatch* watch_;     // Timer3
    StatusEraser* eraser_;  // Timer2
    WriteTransfer* write_;  // Timer1
    ReadTransfer* read_;    // Timer4
    std::function<QString()> squelchSource_;
    ReplaceScope replaceScope_;
    QString backupFolder_;
    bool verifyAfterWrite_ = false;
    bool verifyThisWrite_ = false;  // decided at the click, as the frames are
    bool verifying_ = false;
    bool readingRadio_ = false;  // a radio read: its frames go to whoever asked
    // The last write as built at the click: its frames for the verify, its
    // table for the backup of what the radio now holds.
    QStringList writtenFrames_;
    ChannelTable writtenRows_;
    QString writtenSquelch_;
};

}  // namespace qm3270

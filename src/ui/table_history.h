#pragma once

#include "channels/channel_record.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUndoStack>

class QAction;
class QComboBox;
class QWidget;

namespace qm3270 {

class ChannelGrid;
class ChannelStore;
class MessagePresenter;

// 撤销 and 重做: every change the user makes to the channel table or the squelch
// box (Combo1) is one step, and so is every replacement of the whole table (an
// opened file, a read from the radio, an import). A step records the fields it
// changed, by row position, never by the grid's cursor; taking it back or
// doing it again writes the 16 rows to the database in one transaction, then
// sets the squelch box.
class TableHistory : public QObject {
    Q_OBJECT

public:
    // The 16 rows and the squelch text at one moment.
    struct Snapshot {
        ChannelTable rows;
        QString squelch;
    };

    // One replacement of the whole table and the squelch box, recorded as one
    // step from the moment it is made until it goes out of scope. Changes of
    // the squelch box in between belong to it (they are no steps of their own).
    // Use it around the replacing code:
    //
    //     const auto step = TableHistory::replacing(history, QStringLiteral("打开"));
    //     if (!store.replaceColumns(rows, {kReceive, kTransmit, kBeat})) { …; return; }
    //     squelch.setEditText(level);
    //
    // A replacement that changed nothing (refused, cancelled) leaves no step.
    class Replace {
    public:
        ~Replace();
        Replace(const Replace&) = delete;
        Replace& operator=(const Replace&) = delete;

    private:
        friend class TableHistory;
        Replace(TableHistory* history, QString label);

        TableHistory* history_;
        QString label_;
        Snapshot before_;
    };

    TableHistory(ChannelStore& store, ChannelGrid& grid, QComboBox& squelch,
                 MessagePresenter& messages, QWidget* window);
    ~TableHistory() override;

    // `history` may be null: then nothing is recorded.
    [[nodiscard]] static Replace replacing(TableHistory* history, const QString& label);

    // A change of one row that has already been made (a beat pick), as one step.
    void recordRowChange(const QString& label, int row, const ChannelRecord& before,
                         const ChannelRecord& after);

    // The menu entries: triggered, they undo or redo; enabled only with a step
    // to take and no transfer running.
    void attachActions(QAction* undo, QAction* redo);
    void setBusy(bool busy);  // a read or a write is running

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;

private:
    struct FieldChange {
        int row;
        int column;
        Field before;
        Field after;
    };
    struct Change {
        QList<FieldChange> fields;
        bool squelchChanged = false;
        QString squelchBefore;
        QString squelchAfter;
    };
    class Step;

    Snapshot snapshot() const;
    static Change difference(const Snapshot& before, const Snapshot& after);
    void push(const QString& label, const Change& change, int session);
    void squelchEdited();
    bool apply(const Change& change, bool forward);
    void updateActions();

    ChannelStore& store_;
    ChannelGrid& grid_;
    QComboBox& squelch_;
    MessagePresenter& messages_;
    QWidget* window_;
    QUndoStack stack_;
    QPointer<QAction> undoAction_;
    QPointer<QAction> redoAction_;
    bool busy_ = false;
    int replacing_ = 0;         // Replace scopes open
    int applying_ = 0;          // an undo or redo is setting the table
    bool skipApply_ = false;    // a refused undo or redo puts the stack back
    bool applyFailed_ = false;  // the database refused the last undo or redo
    QString knownSquelch_;      // the squelch text as the history last saw it
    int typingSession_ = 0;     // keys typed in a row into the squelch box
    bool typingOpen_ = false;   // the next squelch step continues that typing
};

}  // namespace qm3270

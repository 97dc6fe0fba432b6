#include "ui/table_history.h"

#include "channels/channel_store.h"
#include "channels/messages.h"
#include "ui/channel_grid.h"
#include "ui/message_presenter.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QUndoCommand>

#include <utility>

namespace qm3270 {

namespace {

// Far more than a morning's edits; each step holds a few texts at most.
constexpr int kStepLimit = 1000;

// Keys typed into the squelch box one after the other make one step, so the
// id is only for those; -1 keeps every other step on its own.
constexpr int kSquelchTypingId = 1;

const QString kGridLabel = QStringLiteral("DataGrid1");
const QString kSquelchLabel = QStringLiteral("Combo1");

}  // namespace

// A change that has already been made when it is pushed: the first redo(),
// which QUndoStack calls on push, does nothing.
class TableHistory::Step : public QUndoCommand {
public:
    Step(TableHistory& history, const QString& label, Change change, int session)
        : QUndoCommand(label), history_(history), change_(std::move(change)), session_(session) {}

    void undo() override { history_.apply(change_, false); }
    void redo() override {
        if (std::exchange(pushed_, false)) {
            return;
        }
        history_.apply(change_, true);
    }
    int id() const override { return session_ >= 0 ? kSquelchTypingId : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const Step*>(other);
        if (next->session_ != session_) {
            return false;
        }
        change_.squelchAfter = next->change_.squelchAfter;
        // Typed and taken back again (or fallen back to "3" by the limit rule):
        // nothing is left to undo.
        setObsolete(change_.squelchAfter == change_.squelchBefore);
        return true;
    }

private:
    TableHistory& history_;
    Change change_;
    int session_;  // -1: not typed into the squelch box
    bool pushed_ = true;
};

TableHistory::Replace::Replace(TableHistory* history, QString label)
    : history_(history), label_(std::move(label)) {
    if (history_ != nullptr) {
        before_ = history_->snapshot();
        ++history_->replacing_;
    }
}

TableHistory::Replace::~Replace() {
    if (history_ == nullptr) {
        return;
    }
    --history_->replacing_;
    const Snapshot after = history_->snapshot();
    history_->knownSquelch_ = after.squelch;
    history_->push(label_, difference(before_, after), -1);
}

TableHistory::TableHistory(ChannelStore& store, ChannelGrid& grid, QComboBox& squelch,
                           MessagePresenter& messages, QWidget* window)
    : QObject(window),
      store_(store),
      grid_(grid),
      squelch_(squelch),
      messages_(messages),
      window_(window),
      knownSquelch_(squelch.currentText()) {
    stack_.setUndoLimit(kStepLimit);
    connect(&stack_, &QUndoStack::canUndoChanged, this, &TableHistory::updateActions);
    connect(&stack_, &QUndoStack::canRedoChanged, this, &TableHistory::updateActions);

    connect(&grid_, &ChannelGrid::rowEdited, this,
            [this](int row, const ChannelRecord& before, const ChannelRecord& after) {
                recordRowChange(kGridLabel, row, before, after);
            });
    // The squelch box's text is read when it has changed, not taken from the
    // signal: the limit rule may have set it back to "3" in between.
    connect(&squelch_, &QComboBox::editTextChanged, this, &TableHistory::squelchEdited);
    if (QLineEdit* edit = squelch_.lineEdit()) {
        connect(edit, &QLineEdit::editingFinished, this, [this] { typingOpen_ = false; });
    }
}

// The stack reports its last change while it is taken down; nothing is left
// to show it on by then.
TableHistory::~TableHistory() {
    disconnect(&stack_, nullptr, this, nullptr);
}

TableHistory::Replace TableHistory::replacing(TableHistory* history, const QString& label) {
    return Replace(history, label);
}

void TableHistory::recordRowChange(const QString& label, int row, const ChannelRecord& before,
                                   const ChannelRecord& after) {
    Change change;
    for (int column = 0; column < kColumnCount; ++column) {
        if (before[column] != after[column]) {
            change.fields.append({row, column, before[column], after[column]});
        }
    }
    push(label, change, -1);
}

void TableHistory::attachActions(QAction* undo, QAction* redo) {
    undoAction_ = undo;
    redoAction_ = redo;
    connect(undo, &QAction::triggered, this, &TableHistory::undo);
    connect(redo, &QAction::triggered, this, &TableHistory::redo);
    updateActions();
}

void TableHistory::setBusy(bool busy) {
    busy_ = busy;
    updateActions();
}

// What is still in a cell editor is the latest change: it becomes a step
// first, and is the one taken back.
void TableHistory::undo() {
    grid_.finishEditing();
    if (!canUndo()) {
        return;
    }
    applyFailed_ = false;
    stack_.undo();
    if (std::exchange(applyFailed_, false)) {
        skipApply_ = true;
        stack_.redo();
        skipApply_ = false;
    }
}

void TableHistory::redo() {
    grid_.finishEditing();
    if (!canRedo()) {
        return;
    }
    applyFailed_ = false;
    stack_.redo();
    if (std::exchange(applyFailed_, false)) {
        skipApply_ = true;
        stack_.undo();
        skipApply_ = false;
    }
}

bool TableHistory::canUndo() const {
    return !busy_ && stack_.canUndo();
}

bool TableHistory::canRedo() const {
    return !busy_ && stack_.canRedo();
}

TableHistory::Snapshot TableHistory::snapshot() const {
    return {store_.records(), squelch_.currentText()};
}

TableHistory::Change TableHistory::difference(const Snapshot& before, const Snapshot& after) {
    Change change;
    for (int row = 0; row < kChannelCount; ++row) {
        const auto index = static_cast<std::size_t>(row);
        for (int column = 0; column < kColumnCount; ++column) {
            const Field& was = before.rows.at(index)[column];
            const Field& is = after.rows.at(index)[column];
            if (was != is) {
                change.fields.append({row, column, was, is});
            }
        }
    }
    if (before.squelch != after.squelch) {
        change.squelchChanged = true;
        change.squelchBefore = before.squelch;
        change.squelchAfter = after.squelch;
    }
    return change;
}

void TableHistory::push(const QString& label, const Change& change, int session) {
    if (change.fields.isEmpty() && !change.squelchChanged) {
        return;
    }
    typingOpen_ = false;
    stack_.push(new Step(*this, label, change, session));
}

// Every change of the squelch text that no replacement and no undo made is the
// user's: typed, picked from the list, or set back to "3" by the limit rule.
void TableHistory::squelchEdited() {
    const QString now = squelch_.currentText();
    if (replacing_ > 0 || applying_ > 0 || now == knownSquelch_) {
        return;
    }
    Change change;
    change.squelchChanged = true;
    change.squelchBefore = std::exchange(knownSquelch_, now);
    change.squelchAfter = now;
    const bool typed = squelch_.lineEdit() != nullptr && squelch_.lineEdit()->isModified();
    const bool continues = typingOpen_;
    const int session = continues ? typingSession_ : ++typingSession_;
    push(kSquelchLabel, change, session);
    typingOpen_ = typed;
}

// Sets one side of a step: the rows in one transaction, then the squelch box.
// Returns false, with the message shown, when the database refused the rows;
// nothing has changed then.
bool TableHistory::apply(const Change& change, bool forward) {
    if (skipApply_) {
        return true;
    }
    ++applying_;
    bool stored = true;
    if (!change.fields.isEmpty()) {
        ChannelTable rows = store_.records();
        for (const FieldChange& field : change.fields) {
            rows.at(static_cast<std::size_t>(field.row))[field.column] =
                forward ? field.after : field.before;
        }
        stored = store_.replaceColumns(rows, {kChannelNumber, kReceive, kTransmit, kBeat});
    }
    if (stored && change.squelchChanged) {
        squelch_.setEditText(forward ? change.squelchAfter : change.squelchBefore);
    }
    knownSquelch_ = squelch_.currentText();
    typingOpen_ = false;
    --applying_;
    if (!stored) {
        applyFailed_ = true;
        messages_.show(window_,
                       channel_messages::databaseRefused(store_.path(), store_.lastError()));
    }
    return stored;
}

void TableHistory::updateActions() {
    if (undoAction_ != nullptr) {
        undoAction_->setEnabled(canUndo());
    }
    if (redoAction_ != nullptr) {
        redoAction_->setEnabled(canRedo());
    }
}

}  // namespace qm3270

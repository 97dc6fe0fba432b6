#include "ui/setting_boxes.h"

#include "channels/channel_store.h"
#include "channels/edit_rules.h"
#include "ui/message_presenter.h"
#include "ui/table_history.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

#include <algorithm>

namespace qm3270 {

void attachSquelchLimit(QComboBox* squelch, MessagePresenter& messages, QWidget* window) {
    QObject::connect(squelch, &QComboBox::editTextChanged, squelch,
                     [squelch, &messages, window](const QString& text) {
                         const auto message = squelchLimitMessage(text);
                         if (!message) {
                             return;
                         }
                         messages.show(window, *message);
                         // The box may have been set again while the message was
                         // up (a read from the radio keeps running behind it);
                         // that newer text has passed the rule on its own.
                         if (squelch->currentText() == text) {
                             squelch->setEditText(QString::fromUtf16(kSquelchFallback));
                         }
                     });
}

namespace {

// The box reports an activation not only for a pick but also when typing ends
// (Enter, Tab, the list opening) on a text that matches an item; the typed text
// is then still the line edit's own, marked modified, whereas a pick sets the
// item's text. A step with the arrow keys or the wheel onto an item that reads
// like the typed text sets nothing, so those steps clear the mark first.
class BeatSteps : public QObject {
public:
    explicit BeatSteps(QComboBox* beat) : QObject(beat), beat_(beat) {
        beat->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == beat_ && beat_->lineEdit() != nullptr && stepsToAnotherItem(event)) {
            beat_->lineEdit()->setModified(false);
        }
        return false;
    }

private:
    bool stepsToAnotherItem(QEvent* event) const {
        int step = 0;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() != Qt::NoModifier) {
                return false;
            }
            switch (key->key()) {
                case Qt::Key_Up:
                    step = -1;
                    break;
                case Qt::Key_Down:
                    step = 1;
                    break;
                case Qt::Key_PageUp:
                    step = -beat_->count();
                    break;
                case Qt::Key_PageDown:
                    step = beat_->count();
                    break;
                default:
                    return false;
            }
        } else if (event->type() == QEvent::Wheel) {
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            step = delta > 0 ? -1 : (delta < 0 ? 1 : 0);
        }
        const int current = beat_->currentIndex();
        const int target = std::clamp(current + step, 0, beat_->count() - 1);
        return step != 0 && target != current;
    }

    QComboBox* beat_;
};

}  // namespace

void attachBeatPick(QComboBox* beat, ChannelStore& store, TableHistory& history) {
    new BeatSteps(beat);
    QObject::connect(
        beat, &QComboBox::textActivated, beat, [beat, &store, &history](const QString& picked) {
            if (beat->lineEdit() != nullptr && beat->lineEdit()->isModified()) {
                return;  // typed, not picked
            }
            // Without a current row the pick has nowhere to go and is dropped.
            const int row = store.currentRow();
            if (row < 0) {
                return;
            }
            const ChannelRecord before = store.record(row);
            store.setField(row, kBeat, picked);
            history.recordRowChange(beat->objectName(), row, before, store.record(row));
        });
}

}  // namespace qm3270

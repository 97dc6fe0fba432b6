#include "ui/setting_boxes.h"

#include "channels/channel_store.h"
#include "channels/edit_rules.h"
#include "ui/message_presenter.h"

#include <QComboBox>

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

void attachBeatPick(QComboBox* beat, ChannelStore& store) {
    QObject::connect(beat, &QComboBox::textActivated, beat, [&store](const QString& picked) {
        // Without a current row the pick has nowhere to go and is dropped.
        const int row = store.currentRow();
        if (row >= 0) {
            store.setField(row, kBeat, picked);
        }
    });
}

}  // namespace qm3270

#include "ui/focus_keeper.h"

#include "ui/channel_grid.h"

#include <QApplication>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

namespace qm3270 {

FocusKeeper::FocusKeeper(MessagePresenter& messages, ChannelGrid& grid)
    : messages_(messages), grid_(grid) {}

void FocusKeeper::show(QWidget* parent, const UserMessage& message) {
    keepFocusAround([&] { messages_.show(parent, message); });
}

bool FocusKeeper::ask(QWidget* parent, const UserMessage& question) {
    bool answer = false;
    keepFocusAround([&] { answer = messages_.ask(parent, question); });
    return answer;
}

void FocusKeeper::keepFocusAround(const std::function<void()>& box) {
    QWidget* focus = QApplication::focusWidget();
    // A cell editor is gone by the time the box closes: the grid takes its place.
    const bool inGrid = focus != nullptr && (focus == &grid_ || grid_.isAncestorOf(focus));
    const QPointer<QWidget> target = inGrid ? &grid_ : focus;
    const QPersistentModelIndex cell = grid_.currentIndex();
    box();
    if (target.isNull()) {
        return;
    }
    // After the editor has closed, which happens once the event that caused
    // the message is done.
    QTimer::singleShot(0, target.data(), [this, target, cell, inGrid] {
        if (inGrid && cell.isValid() && !grid_.isEditing()) {
            grid_.setCurrentIndex(cell);
        }
        target->setFocus(Qt::OtherFocusReason);
    });
}

}  // namespace qm3270

#include "ui/quit_when_all_closed.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace qm3270 {

QuitWhenAllClosed::QuitWhenAllClosed(std::function<void()> quit, QObject* parent)
    : QObject(parent), quit_(std::move(quit)) {}

bool QuitWhenAllClosed::anyWindowOpen() {
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        const Qt::WindowType type = window->windowType();
        return window->isVisible() && type != Qt::Popup && type != Qt::ToolTip &&
               type != Qt::Desktop;
    });
}

bool QuitWhenAllClosed::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow() && !checkQueued_) {
        // Look once the event has been handled: a window that is closing is
        // still visible while its own hide event runs.
        checkQueued_ = true;
        QTimer::singleShot(0, this, &QuitWhenAllClosed::check);
    }
    return QObject::eventFilter(watched, event);
}

void QuitWhenAllClosed::check() {
    checkQueued_ = false;
    if (!anyWindowOpen()) {
        quit_();
    }
}

}  // namespace qm3270

#include "ui/status_bar.h"

#include <QLabel>

#include <utility>

namespace qm3270 {

StatusBar::StatusBar(QWidget* parent, Clock clock)
    : QStatusBar(parent),
      clock_(std::move(clock)),
      port_(new QLabel(this)),
      right_(new QLabel(this)) {
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(false);
    port_->setObjectName(QStringLiteral("portStatus"));
    port_->setAccessibleName(QStringLiteral("端口状态"));
    right_->setObjectName(QStringLiteral("lastOutcome"));
    right_->setAccessibleName(QStringLiteral("上次操作"));
    right_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Long names (a by-id path, a message's first line) are cut, never the window widened.
    port_->setMinimumWidth(1);
    right_->setMinimumWidth(1);
    addWidget(port_, 1);
    addPermanentWidget(right_, 1);
}

void StatusBar::setPortText(const QString& text) {
    port_->setText(text);
    port_->setToolTip(text);
}

void StatusBar::showOutcome(const QString& text) {
    outcome_ =
        QStringLiteral("上次：%1 %2").arg(clock_().toString(QStringLiteral("HH:mm:ss")), text);
    showRight();
}

void StatusBar::setActivity(const QString& text) {
    activity_ = text;
    showRight();
}

QString StatusBar::portText() const {
    return port_->text();
}

QString StatusBar::rightText() const {
    return right_->text();
}

void StatusBar::showRight() {
    const QString& shown = activity_.isEmpty() ? outcome_ : activity_;
    right_->setText(shown);
    right_->setToolTip(shown);
}

}  // namespace qm3270

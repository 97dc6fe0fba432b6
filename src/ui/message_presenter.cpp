#include "ui/message_presenter.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace qm3270 {

namespace {

QMessageBox::Icon boxIcon(UserMessage::Icon icon) {
    switch (icon) {
        case UserMessage::Icon::None:
            return QMessageBox::NoIcon;
        case UserMessage::Icon::Information:
            return QMessageBox::Information;
        case UserMessage::Icon::Exclamation:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void BoxMessagePresenter::show(QWidget* parent, const UserMessage& message) {
    QMessageBox box(boxIcon(message.icon), message.title, message.text, QMessageBox::Ok, parent);
    // The program's texts are all Chinese; the button is captioned like every
    // other OK button of the program, whatever language the desktop speaks.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (!message.detail.isEmpty()) {
        box.setDetailedText(message.detail);
    }
    box.exec();
}

bool BoxMessagePresenter::ask(QWidget* parent, const UserMessage& question) {
    QMessageBox box(boxIcon(question.icon), question.title, question.text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Cancel);
    if (!question.detail.isEmpty()) {
        box.setDetailedText(question.detail);
    }
    return box.exec() == QMessageBox::Ok;
}

}  // namespace qm3270

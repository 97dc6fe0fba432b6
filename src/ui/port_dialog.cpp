#include "ui/port_dialog.h"

#include "sheet/fonts.h"
#include "ui/message_presenter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace qm3270 {

namespace {

constexpr int px(int twips) {
    return twips / 15;
}

QRect twipRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

// " 其它端口" and its device list sit under " COM2"; the window grows by their
// height and the two buttons keep their distance from its bottom edge.
constexpr int kOtherPortHeightTwips = 900;
constexpr qreal kCaptionPointSize = 12;

QPointer<Dialog> openDialog;

}  // namespace

Dialog::Dialog(PortDialogContext context, QWidget* window)
    : QDialog(window, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      context_(std::move(context)),
      prompt_(new QLabel(QStringLiteral("请选择串行口:"), this)),
      com1_(new QRadioButton(QStringLiteral(" COM1"), this)),
      com2_(new QRadioButton(QStringLiteral(" COM2"), this)),
      otherPort_(new QRadioButton(QStringLiteral(" 其它端口"), this)),
      otherDevice_(new QComboBox(this)),
      okButton_(new QPushButton(QStringLiteral("确定"), this)),
      cancelButton_(new QPushButton(QStringLiteral("取消"), this)) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("选择端口"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(px(3000), px(2790 + kOtherPortHeightTwips));

    prompt_->setObjectName(QStringLiteral("Label1"));
    prompt_->setGeometry(twipRect(240, 240, 2295, 375));
    com1_->setObjectName(QStringLiteral("Option1"));
    com1_->setGeometry(twipRect(720, 735, 1695, 405));
    com2_->setObjectName(QStringLiteral("Option2"));
    com2_->setGeometry(twipRect(720, 1230, 1335, 510));
    otherPort_->setObjectName(QStringLiteral("Option3"));
    otherPort_->setGeometry(twipRect(720, 1785, 1695, 405));
    for (QWidget* caption : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(com1_),
                             static_cast<QWidget*>(com2_), static_cast<QWidget*>(otherPort_)}) {
        caption->setFont(kaiFont(kCaptionPointSize));
    }

    otherDevice_->setObjectName(QStringLiteral("Combo3"));
    otherDevice_->setGeometry(twipRect(960, 2235, 1800, 360));
    otherDevice_->setEditable(true);
    otherDevice_->setAccessibleName(QStringLiteral("端口"));
    otherDevice_->setInsertPolicy(QComboBox::NoInsert);
    otherDevice_->addItems(context_.knownDevices);
    otherDevice_->setCurrentIndex(-1);
    // Picking or typing a device means the user wants that device.
    connect(otherDevice_, &QComboBox::textActivated, otherPort_,
            [this] { otherPort_->setChecked(true); });
    connect(otherDevice_->lineEdit(), &QLineEdit::textEdited, otherPort_,
            [this] { otherPort_->setChecked(true); });

    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(twipRect(120, 2040 + kOtherPortHeightTwips, 1095, 375));
    okButton_->setDefault(true);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    cancelButton_->setGeometry(twipRect(1560, 2040 + kOtherPortHeightTwips, 1095, 375));
    cancelButton_->setAutoDefault(false);
    connect(okButton_, &QPushButton::clicked, this, &Dialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QWidget::close);

    loadSelection();
}

void Dialog::loadSelection() {
    const QString device = context_.selection.port().device();
    const bool typedDevice = !device.isEmpty() && device != context_.deviceForNumber(1) &&
                             device != context_.deviceForNumber(2);
    if (typedDevice) {
        otherDevice_->setCurrentText(device);
        otherPort_->setChecked(true);
        return;
    }
    const int number = context_.selection.number();
    if (number == 1) {
        com1_->setChecked(true);
    }
    if (number == 2) {
        com2_->setChecked(true);
    }
}

void Dialog::accept() {
    const QString device = otherDevice_->currentText().trimmed();
    if (!com1_->isChecked() && !com2_->isChecked() && !otherPort_->isChecked()) {
        return;
    }
    if (otherPort_->isChecked() && device.isEmpty()) {
        otherDevice_->setFocus();
        return;
    }
    if (context_.beforePortChange) {
        // Ending a transfer shows its message; the program may end meanwhile
        // (a signal, the session), taking this dialog with it.
        const QPointer<Dialog> alive(this);
        context_.beforePortChange();
        if (alive.isNull() || !isVisible()) {
            return;
        }
    }
    std::optional<UserMessage> failure;
    if (com1_->isChecked()) {
        failure = context_.selection.chooseNumber(1);
    } else if (com2_->isChecked()) {
        failure = context_.selection.chooseNumber(2);
    } else {
        failure = context_.selection.chooseDevice(device);
    }
    if (failure) {
        context_.messages.show(this, *failure);
        return;
    }
    close();
}

Dialog* showPortDialog(QWidget* window, const PortDialogContext& context) {
    if (openDialog.isNull()) {
        openDialog = new Dialog(context, window);
    }
    openDialog->show();
    openDialog->raise();
    openDialog->activateWindow();
    return openDialog;
}

}  // namespace qm3270

#include "ui/port_dialog.h"

#include "link/port_list_model.h"
#include "sheet/fonts.h"
#include "ui/message_presenter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

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
// A cable plugged in while the dialog is open shows within two seconds.
constexpr std::chrono::milliseconds kListRefresh{1000};

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
      ports_(new PortListModel(context_.lister, this)),
      refresh_(new QTimer(this)),
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
    otherDevice_->setInsertPolicy(QComboBox::NoInsert);
    otherDevice_->setModel(ports_);
    otherDevice_->setCurrentIndex(-1);
    fitList();
    // A picked row shows from its start, the device name; the rest on hovering.
    connect(otherDevice_, &QComboBox::currentIndexChanged, otherDevice_, [this] {
        otherDevice_->lineEdit()->setCursorPosition(0);
        otherDevice_->setToolTip(otherDevice_->currentText());
    });
    refresh_->setObjectName(QStringLiteral("portListTimer"));
    refresh_->setInterval(kListRefresh);
    connect(refresh_, &QTimer::timeout, this, &Dialog::refreshList);
    refresh_->start();
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
        const int row = otherDevice_->findData(device, PortListModel::kNameRole);
        if (row >= 0) {
            otherDevice_->setCurrentIndex(row);
        } else {
            otherDevice_->setEditText(device);
        }
        otherPort_->setChecked(true);
    } else if (context_.selection.number() == 1) {
        com1_->setChecked(true);
    } else if (context_.selection.number() == 2) {
        com2_->setChecked(true);
    }
    // The keyboard starts where the selection is; the arrows then move it.
    for (QRadioButton* option : {com1_, com2_, otherPort_}) {
        if (option->isChecked()) {
            option->setFocus();
        }
    }
}

// Rows come and go under what the user has typed or picked, which stays.
void Dialog::refreshList() {
    const QString shown = otherDevice_->currentText();
    ports_->refresh();
    if (otherDevice_->currentText() != shown) {
        otherDevice_->setEditText(shown);
    }
    fitList();
}

// The box is narrow; its list opens as wide as its longest row.
void Dialog::fitList() {
    QAbstractItemView* list = otherDevice_->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          list->verticalScrollBar()->sizeHint().width());
}

// A row picked from the list opens under its stable name; anything else is a
// path the user typed.
QString Dialog::chosenDevice() const {
    QString text = otherDevice_->currentText().trimmed();
    const int row = otherDevice_->findText(text);
    if (row >= 0) {
        return otherDevice_->itemData(row, PortListModel::kNameRole).toString();
    }
    return text;
}

void Dialog::accept() {
    const QString device = chosenDevice();
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
    if (context_.afterPortChange) {
        context_.afterPortChange();
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

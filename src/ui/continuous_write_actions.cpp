#include "ui/continuous_write_actions.h"

#include "session/continuous_messages.h"
#include "session/continuous_write.h"
#include "session/radio_session.h"
#include "ui/message_presenter.h"
#include "ui/status_bar.h"
#include "ui/transfer_controller.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace qm3270 {

namespace {

const char16_t kQuestion[] =
    u"连续写入：每台应答的对讲机都将自动写入当前信道表并校验；写入前先读出对讲机原有的数据并备份。"
    u"是否开始？";
const char16_t kQuestionTitle[] = u"系统信息";

}  // namespace

ContinuousWriteActions::ContinuousWriteActions(const Widgets& widgets,
                                               TransferController& transfers, ChannelStore& store,
                                               Port& port, MessagePresenter& messages,
                                               const LinkTiming& timing, QWidget* window)
    : QObject(window),
      widgets_(widgets),
      messages_(messages),
      window_(window),
      mode_(new ContinuousWrite(transfers.session(), store, port, timing, this)) {
    mode_->setSquelchSource([&transfers] { return transfers.squelchText(); });
    // Each radio's failure is its line in the operations log and a beep; a box
    // would hold up the radios behind it.
    transfers.setMessagesQuiet([this] { return mode_->isServing(); });

    connect(widgets_.toggle, &QAction::toggled, this, &ContinuousWriteActions::toggled);
    connect(mode_, &ContinuousWrite::statusChanged, widgets_.status, &QLabel::setText);
    connect(mode_, &ContinuousWrite::countsChanged, widgets_.bar, [this](int good, int bad) {
        if (mode_->isOn()) {
            widgets_.bar->setActivity(continuous_messages::counts(good, bad));
        }
    });
    connect(mode_, &ContinuousWrite::radioDone, this, [](const ContinuousWrite::Radio& radio) {
        if (!radio.succeeded()) {
            QApplication::beep();
        }
    });
    connect(mode_, &ContinuousWrite::ended, this, &ContinuousWriteActions::ended);
}

void ContinuousWriteActions::toggled(bool on) {
    if (!on) {
        mode_->stop();  // the radio in hand, if any, is finished first
        return;
    }
    const UserMessage question{QString::fromUtf16(kQuestion), QString::fromUtf16(kQuestionTitle),
                               UserMessage::Icon::Information};
    std::optional<UserMessage> refused;
    if (messages_.ask(window_, question)) {
        refused = mode_->start();
        if (!refused && mode_->isOn()) {
            widgets_.bar->setActivity(continuous_messages::counts(0, 0));
            return;
        }
    }
    const QSignalBlocker quiet(widgets_.toggle);
    widgets_.toggle->setChecked(false);
    if (refused) {
        messages_.show(window_, *refused);
    }
}

void ContinuousWriteActions::ended(const std::optional<UserMessage>& reason) {
    {
        const QSignalBlocker quiet(widgets_.toggle);
        widgets_.toggle->setChecked(false);
    }
    widgets_.bar->setActivity(QString());  // the last outcome is back
    if (closeWaiting_) {
        Q_EMIT readyToClose();
        return;
    }
    if (reason) {
        QApplication::beep();
        messages_.show(window_, *reason);
    }
}

bool ContinuousWriteActions::holdClose() {
    if (!mode_->isServing()) {
        mode_->stop();
        return false;
    }
    closeWaiting_ = true;
    mode_->stop();
    return true;
}

}  // namespace qm3270

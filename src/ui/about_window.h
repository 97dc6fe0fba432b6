#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

namespace qm3270 {

class MessagePresenter;

// 关于本软件: the about window. Modeless, without a parent so that it stays open
// after the main window has closed; destroyed when closed. It owns (shares) its
// message presenter for the same reason.
class frmAbout : public QDialog {  // NOLINT(readability-identifier-naming): design name
    Q_OBJECT

public:
    explicit frmAbout(std::shared_ptr<MessagePresenter> messages);

    // Starts the system's information tool without waiting for it, or says that
    // there is none.
    void startSysInfo();

private:
    std::shared_ptr<MessagePresenter> messages_;
};

// Creates the window the first time, otherwise brings the open one forward.
// `messages` is used only when the window is created; empty: message boxes.
frmAbout* showAboutWindow(std::shared_ptr<MessagePresenter> messages = nullptr);

}  // namespace qm3270

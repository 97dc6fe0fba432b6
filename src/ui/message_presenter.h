#pragma once

#include "channels/user_message.h"

class QWidget;

namespace qm3270 {

// Shows a modal message with an OK button only. The window uses QMessageBox;
// tests record what would have been shown and answer at once.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void show(QWidget* parent, const UserMessage& message) = 0;
    // A question with 确定 and 取消: true for 确定. A presenter that only
    // records (a test's) shows it and answers 确定.
    virtual bool confirm(QWidget* parent, const UserMessage& question) {
        show(parent, question);
        return true;
    }
};

class BoxMessagePresenter : public MessagePresenter {
public:
    void show(QWidget* parent, const UserMessage& message) override;
    bool confirm(QWidget* parent, const UserMessage& question) override;
};

}  // namespace qm3270

#pragma once

#include "channels/user_message.h"

class QWidget;

namespace qm3270 {

// Shows a modal message with an OK button only, or asks a question with 确定
// and 取消. The window uses QMessageBox; tests record what would have been
// shown and answer at once.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void show(QWidget* parent, const UserMessage& message) = 0;
    // True when the user answers 确定.
    virtual bool ask(QWidget* parent, const UserMessage& question) = 0;
};

class BoxMessagePresenter : public MessagePresenter {
public:
    void show(QWidget* parent, const UserMessage& message) override;
    bool ask(QWidget* parent, const UserMessage& question) override;
};

}  // namespace qm3270

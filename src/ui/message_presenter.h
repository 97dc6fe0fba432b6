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
};

class BoxMessagePresenter : public MessagePresenter {
public:
    void show(QWidget* parent, const UserMessage& message) override;
};

}  // namespace qm3270

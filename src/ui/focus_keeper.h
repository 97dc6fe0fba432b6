#pragma once

#include "ui/message_presenter.h"

#include <functional>

class QWidget;

namespace qm3270 {

class ChannelGrid;

// Every message of the main window goes through here: when the box closes,
// the keyboard focus goes back to the control whose input caused it (the grid,
// on the cell that was current, or the squelch box), not to whichever control
// follows a cell editor that closed meanwhile. A corrected value is then typed
// where the refused one was.
class FocusKeeper : public MessagePresenter {
public:
    FocusKeeper(MessagePresenter& messages, ChannelGrid& grid);

    void show(QWidget* parent, const UserMessage& message) override;
    bool ask(QWidget* parent, const UserMessage& question) override;

private:
    void keepFocusAround(const std::function<void()>& box);

    MessagePresenter& messages_;
    ChannelGrid& grid_;
};

}  // namespace qm3270

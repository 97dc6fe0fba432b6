#pragma once

class QComboBox;
class QWidget;

namespace qm3270 {

class ChannelStore;
class MessagePresenter;
class TableHistory;

// Combo1: every change of its text, typed or set by the program, passes the
// squelch limit; a level above 9 is reported and the text falls back to "3".
void attachSquelchLimit(QComboBox* squelch, MessagePresenter& messages, QWidget* window);

// Combo2: picking an item from its list writes the item into the beat field of
// the grid's current row (typing into the box writes nothing), one step of the
// history.
void attachBeatPick(QComboBox* beat, ChannelStore& store, TableHistory& history);

}  // namespace qm3270

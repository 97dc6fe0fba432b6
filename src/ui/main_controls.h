#pragma once

#include <QDate>
#include <QString>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QWidget;

namespace qm3270 {

class ChannelGrid;

// The main window's body: every control at its fixed place, in pixels from the
// top left corner of the client area. Nothing is laid out; resizing the window
// moves nothing.
struct MainControls {
    QFrame* line = nullptr;            // Line1
    QGroupBox* dateFrame = nullptr;    // Frame2
    QLabel* date = nullptr;            // Label8
    QLabel* heading = nullptr;         // Label1
    QLabel* model = nullptr;           // Label3
    QLabel* status = nullptr;          // Label2
    QProgressBar* progress = nullptr;  // ProgressBar1
    QLabel* squelchCaption = nullptr;  // Label4
    QComboBox* squelch = nullptr;      // Combo1
    QLabel* beatCaption = nullptr;     // Label5
    QComboBox* beat = nullptr;         // Combo2
};

// The client area in pixels.
inline constexpr int kClientWidth = 792;
inline constexpr int kClientHeight = 540;

// Builds every control but the grid (which needs the store) on `body`.
MainControls buildMainControls(QWidget* body);

// Puts the grid at its place with its columns' widths and font.
void placeChannelGrid(ChannelGrid* grid);

// The grid takes what the body has beyond its designed size (a maximised
// window shows a larger grid) and gives up what it lacks (on a small screen
// the grid scrolls); every other control stays at its place.
void keepGridFitted(QWidget* body, ChannelGrid* grid);

// The keyboard's way through the window: Tab from the grid to the squelch box
// and on to the beat box; each caption the buddy of its box; the names a
// screen reader says.
void setUpKeyboard(const MainControls& controls, ChannelGrid* grid);

// "2026年12月7日": plain numbers, no leading zeros.
QString dateText(const QDate& date);

}  // namespace qm3270

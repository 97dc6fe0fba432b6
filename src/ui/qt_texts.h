#pragma once

class QObject;

namespace qm3270 {

// Qt draws some texts of its own: the file dialog's labels and buttons, the
// editors' context menus. Everything else the user reads is Chinese, so these
// come in Chinese too, from the Qt translations installed with the system.
// Returns false (and changes nothing) where they are not installed. Call once,
// before the first window is built; `owner` keeps the translation alive.
bool installQtChineseTexts(QObject* owner);

}  // namespace qm3270

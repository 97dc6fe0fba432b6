#pragma once

class QWidget;

namespace qm3270 {

// The about and instructions windows print red and blue text, which a dark
// desktop palette would put on a dark ground: they keep a light page of their
// own, whatever the desktop's colours.
void useLightPage(QWidget* window);

}  // namespace qm3270

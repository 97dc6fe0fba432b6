#pragma once

#include <QFont>

namespace qm3270 {

// The windows name the two faces of the radio maker's desktop, "楷体_GB2312" and
// "宋体". Linux has neither; without a mapping every Chinese text would come out in
// whatever face fontconfig guesses. Call once, before the first window is built
// or the first page is drawn.
void installFontSubstitutions();

QFont kaiFont(qreal pointSize);   // "楷体_GB2312"
QFont songFont(qreal pointSize);  // "宋体"

}  // namespace qm3270

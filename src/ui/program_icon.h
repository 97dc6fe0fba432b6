#pragma once

#include <QIcon>
#include <QPixmap>

namespace qm3270 {

// The program's icon: a handheld radio, drawn here rather than shipped as artwork
// so that it stays sharp at any size.
QPixmap programIconPixmap(int size);
QIcon programIcon();

}  // namespace qm3270

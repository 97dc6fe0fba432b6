#pragma once

#include <QStringList>

namespace qm3270 {

// The command line without the options every Qt program takes (-style Fusion,
// -platform offscreen, -reverse, …, also written with "--" or "="): those are
// the application object's, and our own parser must not refuse them.
QStringList withoutQtOptions(const QStringList& arguments);

}  // namespace qm3270

#include "sheet/fonts.h"

#include <QStringList>

namespace qm3270 {

namespace {

const QString kKaiFamily = QStringLiteral("楷体_GB2312");
const QString kSongFamily = QStringLiteral("宋体");

QFont fontOf(const QString& family, qreal pointSize) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    return font;
}

}  // namespace

void installFontSubstitutions() {
    // Windows' own faces first, then the AR PL faces that Debian ships.
    QFont::insertSubstitutions(kKaiFamily,
                               {QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN")});
    QFont::insertSubstitutions(kSongFamily,
                               {QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN")});
}

QFont kaiFont(qreal pointSize) {
    return fontOf(kKaiFamily, pointSize);
}

QFont songFont(qreal pointSize) {
    return fontOf(kSongFamily, pointSize);
}

}  // namespace qm3270

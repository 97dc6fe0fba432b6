#include "ui/instructions_window.h"
#include "ui/light_page.h"

#include "sheet/fonts.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtMath>

#include <array>

namespace qm3270 {

namespace {

struct Segment {
    int blanksBefore;
    const char16_t* text;
};

// Each item starts a line because the blanks before it fill out the previous one.
constexpr std::array kInstructionSegments{
    Segment{18, u"操作说明"},
    Segment{25,
            u"一，使用随机配带的写频电缆，将对讲机（关机）耳机话筒插口与计算机串行口1（或串行口2）"
            u"联结。"},
    Segment{4, u"二，打开对讲机电源，屏显显示“对讲机就续”。"},
    Segment{4, u"三，写频操作：用鼠标点菜单项“写信道数椐”。"},
    Segment{4, u"四，读频操作：用鼠标点菜单项“读信道数据”。"},
    Segment{4, u"五，文件操作：使用操作“文件”菜单的“保存文"},
    Segment{7, u"件”子菜单，打开保存文件对话框，可以将当前"},
    Segment{6, u"的频率数据保存（文件名自选，后缀"},
    Segment{2, u".doc）。"},
    Segment{6, u"同样使用“打开文件”子菜单，可以将保存的频"},
    Segment{6, u"率数据文件重新调出使用。"},
    Segment{21, u"六，设置端口：如有必要，可操作“系统设置”菜"},
    Segment{7, u"单的“选择端口”子菜单项，改变当前使用的串"},
    Segment{6, u"行口。"},
};
constexpr int kTrailingBlanks = 4;

// The blank runs were laid out for a line of 46 half-width columns: 21 Chinese
// characters and a few blanks. The label wraps at that width whatever its size,
// or the items would run into each other.
constexpr qreal kWrapColumns = 46.5;
constexpr qreal kInstructionsPointSize = 14;

constexpr int px(int twips) {
    return twips / 15;
}

QPointer<frmAbout1> openWindow;

}  // namespace

QString instructionsText() {
    QString text;
    for (const Segment& segment : kInstructionSegments) {
        text += QString(segment.blanksBefore, QLatin1Char(' '));
        text += QString::fromUtf16(segment.text);
    }
    text += QString(kTrailingBlanks, QLatin1Char(' '));
    return text;
}

frmAbout1::frmAbout1()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      description_(new QLabel(instructionsText(), this)),
      okButton_(new QPushButton(QStringLiteral("确定"), this)) {
    setObjectName(QStringLiteral("frmAbout1"));
    setWindowTitle(QStringLiteral("操作说明"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(9210), px(5760));
    useLightPage(this);

    description_->setObjectName(QStringLiteral("lblDescription"));
    description_->setGeometry(px(720), px(600), px(7845), px(4530));
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setFont(kaiFont(kInstructionsPointSize));
    const int wrapWidth = qCeil(
        kWrapColumns * QFontMetricsF(description_->font()).horizontalAdvance(QLatin1Char(' ')));
    description_->setContentsMargins(0, 0, qMax(0, description_->width() - wrapWidth), 0);
    description_->setStyleSheet(QStringLiteral("color: blue"));

    okButton_->setObjectName(QStringLiteral("cmdOK"));
    okButton_->setGeometry(px(7320), px(5280), px(1500), px(345));
    okButton_->setDefault(true);  // Enter; Esc rejects the dialog, which closes it too
    connect(okButton_, &QPushButton::clicked, this, &QWidget::close);
}

frmAbout1* showInstructionsWindow() {
    if (openWindow.isNull()) {
        openWindow = new frmAbout1;
    }
    openWindow->show();
    openWindow->raise();
    openWindow->activateWindow();
    return openWindow;
}

}  // namespace qm3270

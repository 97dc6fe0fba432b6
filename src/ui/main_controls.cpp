#include "ui/main_controls.h"

#include "sheet/fonts.h"
#include "ui/channel_grid.h"

#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <array>

namespace qm3270 {
namespace {

// The window was drawn in twips; at 96 dpi fifteen of them make one pixel.
constexpr int pixels(int twips) {
    return twips / 15;
}

QRect twipsRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

QFont bold(QFont font) {
    font.setBold(true);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& where,
              const QFont& font) {
    auto* widget = new QLabel(text, parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(where);
    widget->setFont(font);
    return widget;
}

QComboBox* comboBox(QWidget* parent, const char* name, const QStringList& items,
                    const QString& text, const QRect& where, const QFont& font) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setEditable(true);
    // What is typed stays typed: no completion from the list (every squelch item
    // starts with blanks, so a typed blank would turn into "  0"), and Enter adds
    // nothing to the list.
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setEditText(text);
    box->setGeometry(where);
    box->setFont(font);
    return box;
}

}  // namespace

MainControls buildMainControls(QWidget* body) {
    MainControls c;

    c.line = new QFrame(body);
    c.line->setObjectName(QStringLiteral("Line1"));
    c.line->setFrameShape(QFrame::HLine);
    c.line->setFrameShadow(QFrame::Sunken);
    c.line->setGeometry(0, 0, kClientWidth, 2);

    c.dateFrame = new QGroupBox(QStringLiteral("日期"), body);
    c.dateFrame->setObjectName(QStringLiteral("Frame2"));
    c.dateFrame->setGeometry(twipsRect(600, 600, 2175, 735));
    c.dateFrame->setFont(kaiFont(10.5));
    c.date = label(c.dateFrame, "Label8", QString(), twipsRect(240, 360, 1695, 255), kaiFont(10.5));

    c.heading = label(body, "Label1", QStringLiteral("信道设置系统"),
                      twipsRect(4200, 720, 3735, 855), bold(kaiFont(26)));
    c.model = label(body, "Label3", QStringLiteral("(QM_3270)"), twipsRect(5160, 1440, 1695, 375),
                    songFont(12));
    c.status =
        label(body, "Label2", QStringLiteral(" "), twipsRect(8040, 720, 3615, 375), kaiFont(12));

    c.progress = new QProgressBar(body);
    c.progress->setObjectName(QStringLiteral("ProgressBar1"));
    c.progress->setRange(0, 100);
    c.progress->setValue(0);
    c.progress->setTextVisible(false);
    c.progress->setGeometry(twipsRect(8280, 1440, 3255, 255));

    c.squelchCaption = label(body, "Label4", QStringLiteral("静噪级别："),
                             twipsRect(2400, 1800, 1695, 495), kaiFont(12));
    QStringList levels;
    for (int level = 0; level <= 9; ++level) {
        levels << QStringLiteral("  %1").arg(level);
    }
    c.squelch = comboBox(body, "Combo1", levels, QStringLiteral("3"),
                         twipsRect(3840, 1800, 855, 360), songFont(12));

    c.beatCaption = label(body, "Label5", QStringLiteral("拍频:"), twipsRect(6960, 1800, 855, 375),
                          kaiFont(12));
    c.beat = comboBox(body, "Combo2",
                      {QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("  ")},
                      QStringLiteral(" "), twipsRect(7680, 1800, 975, 330), songFont(10.5));
    return c;
}

namespace {

QRect gridPlace() {
    return twipsRect(2160, 2280, 6855, 5295);
}

class GridFitter : public QObject {
public:
    GridFitter(QWidget* body, ChannelGrid* grid) : QObject(body), grid_(grid) {
        body->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            const QSize size = static_cast<QWidget*>(watched)->size();
            constexpr int kLeastHeight = 80;  // the header and two rows
            QRect place = gridPlace();
            place.setWidth(place.width() + std::max(0, size.width() - kClientWidth));
            place.setHeight(std::max(kLeastHeight, place.height() + size.height() - kClientHeight));
            grid_->setGeometry(place);
        }
        return false;
    }

private:
    ChannelGrid* grid_;
};

}  // namespace

void keepGridFitted(QWidget* body, ChannelGrid* grid) {
    new GridFitter(body, grid);
}

void placeChannelGrid(ChannelGrid* grid) {
    grid->setGeometry(gridPlace());
    grid->setFont(kaiFont(12));
    grid->horizontalHeader()->setFont(kaiFont(12));
    grid->verticalHeader()->setFont(kaiFont(12));
    // Rows as tight as the grid was drawn: all 16 channels fit without scrolling.
    constexpr int kRowTwips = 300;
    grid->verticalHeader()->setMinimumSectionSize(pixels(kRowTwips));
    grid->verticalHeader()->setDefaultSectionSize(pixels(kRowTwips));
    constexpr std::array<int, 4> kColumnTwips{1050, 2070, 2010, 1095};
    for (int column = 0; column < static_cast<int>(kColumnTwips.size()); ++column) {
        grid->setColumnWidth(column, pixels(kColumnTwips.at(static_cast<std::size_t>(column))));
    }
}

void setUpKeyboard(const MainControls& controls, ChannelGrid* grid) {
    controls.squelchCaption->setBuddy(controls.squelch);
    controls.beatCaption->setBuddy(controls.beat);
    // Without names of their own a screen reader says the boxes' texts ("3", " ").
    controls.squelch->setAccessibleName(QStringLiteral("静噪级别"));
    controls.beat->setAccessibleName(QStringLiteral("拍频"));
    controls.progress->setAccessibleName(QStringLiteral("传送进度"));
    QWidget::setTabOrder(grid, controls.squelch);
    QWidget::setTabOrder(controls.squelch, controls.beat);
}

QString dateText(const QDate& date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

}  // namespace qm3270

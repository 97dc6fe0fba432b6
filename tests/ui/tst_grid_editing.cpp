#include "channels/channel_record.h"
#include "try_wait.h"
#include "window_harness.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

using namespace qm3270;
using namespace qm3270::test;

class GridEditingTest : public QObject {
    Q_OBJECT

private slots:
    void keysAfterClickOnSelectedCell_data();
    void keysAfterClickOnSelectedCell();
    void beatBoxTakesOnlyPicks_data();
    void beatBoxTakesOnlyPicks();
    void rowHeaderMarksTheCurrentRow();
};

void GridEditingTest::keysAfterClickOnSelectedCell_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("endKey");
    QTest::addColumn<QString>("receive");
    QTest::addColumn<QString>("transmit");
    QTest::addColumn<QStringList>("messages");
    // Row 3 holds 150.00000 / 152.00000 before the click.
    const QStringList range{QStringLiteral("数据超出范围 ！！")};
    // clang-format off
    QTest::newRow("600, Enter") << "600" << int(Qt::Key_Return) << "" << "152.00000" << range;
    QTest::newRow("600, Tab") << "600" << int(Qt::Key_Tab) << "" << "152.00000" << range;
    QTest::newRow("145, Enter") << "145" << int(Qt::Key_Return) << "145.00000" << "145.00000" << QStringList();
    // clang-format on
}

// The second click on a selected cell and the keys right behind it, with no
// pause: every key belongs to the cell.
void GridEditingTest::keysAfterClickOnSelectedCell() {
    QFETCH(QString, keys);
    QFETCH(int, endKey);
    QFETCH(QString, receive);
    WindowHarness h;
    h.store->setField(2, kReceive, QStringLiteral("150.00000"));
    h.store->setField(2, kTransmit, QStringLiteral("152.00000"));
    h.clickCell(2, kReceive);
    h.clickCell(2, kReceive);
    WindowHarness::type(keys);
    WindowHarness::press(static_cast<Qt::Key>(endKey));

    TRY_COMPARE(h.field(2, kReceive), receive);
    QTEST(h.field(2, kTransmit), "transmit");
    QTEST(h.messages.texts(), "messages");
    // Nothing opens on the cell later on and takes what the row now holds.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(!h.grid()->indexWidget(h.grid()->model()->index(2, kReceive)));
    QCOMPARE(h.field(2, kReceive), receive);
    QTEST(h.messages.texts(), "messages");
}

void GridEditingTest::beatBoxTakesOnlyPicks_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("beat");  // row 5's beat afterwards
    // clang-format off
    QTest::newRow("on, Tab") << "on" << "tab" << "";
    QTest::newRow("on, Enter") << "on" << "enter" << "";
    QTest::newRow("on, list opened and closed") << "on" << "escape list" << "";
    QTest::newRow("on, then Down picks") << "on" << "down" << "on";
    QTest::newRow("on, then picked from the list") << "on" << "pick 1" << "on";
    QTest::newRow("x, then picked from the list") << "x" << "pick 0" << "off";
    // clang-format on
}

void GridEditingTest::beatBoxTakesOnlyPicks() {
    QFETCH(QString, keys);
    QFETCH(QString, then);
    WindowHarness h;
    QComboBox* beat = h.box("Combo2");
    h.clickCell(4, kReceive);
    QTest::mouseClick(beat->lineEdit(), Qt::LeftButton);
    QVERIFY(beat->hasFocus());
    WindowHarness::press(Qt::Key_A, Qt::ControlModifier);  // over the box's blank
    WindowHarness::type(keys);
    if (then == QLatin1String("tab")) {
        WindowHarness::press(Qt::Key_Tab);
    } else if (then == QLatin1String("enter")) {
        WindowHarness::press(Qt::Key_Return);
    } else if (then == QLatin1String("down")) {
        WindowHarness::press(Qt::Key_Down);
    } else {
        beat->showPopup();
        QAbstractItemView* list = beat->view();
        TRY_VERIFY(list->isVisible());
        if (then == QLatin1String("escape list")) {
            QTest::keyClick(list, Qt::Key_Escape);
        } else {
            const int row = then.back().digitValue();
            const QRect item = list->visualRect(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        }
        TRY_VERIFY(!list->isVisible());
    }
    QTest::qWait(20);
    QTEST(h.field(4, kBeat), "beat");
    for (int row = 0; row < kChannelCount; ++row) {
        if (row != 4) {
            QCOMPARE(h.field(row, kBeat), QString());
        }
    }
}

void GridEditingTest::rowHeaderMarksTheCurrentRow() {
    WindowHarness h;
    const auto header = [&h] {
        QStringList shown;
        for (int row = 0; row < kChannelCount; ++row) {
            shown << h.grid()->model()->headerData(row, Qt::Vertical).toString();
        }
        return shown;
    };
    const auto markerOn = [](int row) {
        QStringList shown(kChannelCount);
        shown[row] = QStringLiteral("▶");
        return shown;
    };
    QCOMPARE(header(), markerOn(0));
    const int width = h.grid()->verticalHeader()->width();
    h.clickCell(6, kChannelNumber);
    WindowHarness::type(QStringLiteral("7x"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(h.field(6, kChannelNumber), QStringLiteral("7x"));
    QCOMPARE(header(), markerOn(7));  // Enter moved on to the next channel
    h.action("保存")->trigger();      // cancelled; the user keeps their place
    QCOMPARE(header(), markerOn(7));
    QCOMPARE(h.grid()->verticalHeader()->width(), width);
}

QTEST_MAIN(GridEditingTest)
#include "tst_grid_editing.moc"

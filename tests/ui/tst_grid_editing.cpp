#include "channels/channel_record.h"
#include "window_harness.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QtTest>

using namespace qm3270;
using namespace qm3270::test;

class GridEditingTest : public QObject {
    Q_OBJECT

private slots:
    void keysAfterClickOnSelectedCell_data();
    void keysAfterClickOnSelectedCell();
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

    QTRY_COMPARE(h.field(2, kReceive), receive);
    QTEST(h.field(2, kTransmit), "transmit");
    QTEST(h.messages.texts(), "messages");
    // Nothing opens on the cell later on and takes what the row now holds.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(!h.grid()->indexWidget(h.grid()->model()->index(2, kReceive)));
    QCOMPARE(h.field(2, kReceive), receive);
    QTEST(h.messages.texts(), "messages");
}

QTEST_MAIN(GridEditingTest)
#include "tst_grid_editing.moc"

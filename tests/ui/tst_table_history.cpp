#include "channels/channel_record.h"
#include "test_files.h"
#include "timer_firing.h"
#include "try_wait.h"
#include "window_harness.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;
using namespace qm3270;
using namespace qm3270::test;

namespace {

struct Shown {
    ChannelTable rows;
    QString squelch;
};

Shown shown(const WindowHarness& h) {
    return {h.store->records(), h.box("Combo1")->currentText()};
}

// What the database file holds now, read beside the window's own connection.
ChannelTable stored(const QString& path) {
    ChannelTable rows;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(QStringLiteral("SELECT 信道号, 接收频率, 发送频率, 拍频 FROM 信道表 "
                                       "ORDER BY rowid LIMIT 16"),
                        db);
        for (auto& row : rows) {
            query.next();
            for (int column = 0; column < kColumnCount; ++column) {
                row[column] = query.value(column).toString();
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return rows;
}

// Squelch 7; channel 1 150 MHz with beat; channel 2 136.0125 / 174 MHz; the
// others 145.6125 MHz without beat.
QByteArray radioMemory() {
    return "07010000861200000015"
           "01015012461100004017" +
           QByteArray("04005012421250125614").repeated(14);
}

void typeInto(QComboBox* box, const QString& keys) {
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    WindowHarness::press(Qt::Key_A, Qt::ControlModifier);
    WindowHarness::type(keys);
}

}  // namespace

class TableHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void replacingTheTableIsOneStep_data();
    void replacingTheTableIsOneStep();
    void eachChangeIsOneStep_data();
    void eachChangeIsOneStep();
    void undoIsWrittenAndKeepsTheCursor();
    void entriesFollowTheStackAndTheTransfers();
    void entriesUnderFile();
    void keepsOverAHundredSteps();
};

void TableHistoryTest::replacingTheTableIsOneStep_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("打开") << "打开";
    QTest::newRow("读信道") << "读信道";
}

void TableHistoryTest::replacingTheTableIsOneStep() {
    QFETCH(QString, operation);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("qm3270.db"));
    const QString file = dir.filePath(QStringLiteral("table.doc"));
    QVERIFY(writeBytes(file, "5,145.5,145.5,on," + QByteArray("438.5,430.5,off,").repeated(15)));
    WindowHarness h(db);
    h.port.onSend = [&h](const QByteArray& text) {
        if (text == "5") {
            QTimer::singleShot(5, &h.port, [&h] { h.port.deliver(radioMemory()); });
        }
    };
    // The morning's edits, each a step of its own.
    h.clickCell(3, kReceive);
    WindowHarness::type(QStringLiteral("440"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(h.field(3, kTransmit), QStringLiteral("440.00000"));
    h.box("Combo1")->setCurrentIndex(2);
    const Shown before = shown(h);

    h.files.answers = {file};
    h.action(operation.toUtf8())->trigger();
    TRY_VERIFY(shown(h).squelch != before.squelch);
    const Shown after = shown(h);
    QVERIFY(after.rows != before.rows);

    h.action("撤销")->trigger();
    QVERIFY(shown(h).rows == before.rows);
    QCOMPARE(shown(h).squelch, before.squelch);
    QVERIFY(stored(db) == before.rows);
    h.action("重做")->trigger();
    QVERIFY(shown(h).rows == after.rows);
    QCOMPARE(shown(h).squelch, after.squelch);
    QVERIFY(stored(db) == after.rows);
    QVERIFY(h.messages.shown.isEmpty());
}

void TableHistoryTest::eachChangeIsOneStep_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("isStep");
    QTest::newRow("receive typed, copied to transmit") << "grid 145" << true;
    QTest::newRow("beat picked") << "beat" << true;
    QTest::newRow("squelch picked") << "squelch pick" << true;
    QTest::newRow("squelch typed in two keys") << "squelch 05" << true;
    QTest::newRow("squelch over 9, set back to 3") << "squelch 12" << false;
}

void TableHistoryTest::eachChangeIsOneStep() {
    QFETCH(QString, change);
    QFETCH(bool, isStep);
    WindowHarness h;
    h.store->setField(3, kReceive, QStringLiteral("150.00000"));
    h.store->setField(3, kTransmit, QStringLiteral("152.00000"));
    h.clickCell(3, kReceive);
    const Shown before = shown(h);
    if (change == QLatin1String("grid 145")) {
        WindowHarness::type(QStringLiteral("145"));
        WindowHarness::press(Qt::Key_Return);
        TRY_COMPARE(h.field(3, kTransmit), QStringLiteral("145.00000"));
    } else if (change == QLatin1String("beat")) {
        h.box("Combo2")->setCurrentIndex(0);
        QTest::keyClick(h.box("Combo2"), Qt::Key_Down);
    } else if (change == QLatin1String("squelch pick")) {
        QTest::keyClick(h.box("Combo1"), Qt::Key_Down);
    } else {
        typeInto(h.box("Combo1"), change.mid(8));
    }
    const Shown after = shown(h);
    QCOMPARE(after.rows != before.rows || after.squelch != before.squelch, isStep);

    h.action("撤销")->trigger();
    QVERIFY(shown(h).rows == before.rows);
    QCOMPARE(shown(h).squelch, before.squelch);
    QVERIFY(!h.action("撤销")->isEnabled());
    QCOMPARE(h.action("重做")->isEnabled(), isStep);
    h.action("重做")->trigger();
    QVERIFY(shown(h).rows == after.rows);
    QCOMPARE(shown(h).squelch, after.squelch);
}

// Ctrl+Z and Ctrl+Y from the grid: the row edited goes to the database at once,
// wherever the cursor is.
void TableHistoryTest::undoIsWrittenAndKeepsTheCursor() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("qm3270.db"));
    WindowHarness h(db);
    h.clickCell(2, kReceive);
    WindowHarness::type(QStringLiteral("145"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(h.field(2, kTransmit), QStringLiteral("145.00000"));

    WindowHarness::press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.field(2, kReceive), QString());
    WindowHarness::press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(stored(db).at(2)[kReceive], Field(QStringLiteral("145.00000")));
    QCOMPARE(stored(db).at(2)[kTransmit], Field(QStringLiteral("145.00000")));

    h.clickCell(9, kBeat);
    WindowHarness::press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(stored(db).at(2)[kReceive], Field(QString()));
    QCOMPARE(stored(db).at(2)[kTransmit], Field(QString()));
    QCOMPARE(h.store->currentRow(), 9);
    QCOMPARE(h.grid()->currentIndex(), h.grid()->model()->index(9, kBeat));
    WindowHarness::press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(h.field(2, kReceive), QStringLiteral("145.00000"));
}

void TableHistoryTest::entriesFollowTheStackAndTheTransfers() {
    LinkTiming timing;
    timing.writeTick = 1h;  // the test gives each tick itself
    WindowHarness h(QStringLiteral(":memory:"), timing);
    const auto entries = [&h] {
        return QList<bool>{h.action("撤销")->isEnabled(), h.action("重做")->isEnabled()};
    };
    QCOMPARE(entries(), (QList<bool>{false, false}));
    h.clickCell(0, kBeat);
    WindowHarness::type(QStringLiteral("on"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(entries(), (QList<bool>{true, false}));
    h.action("撤销")->trigger();
    QCOMPARE(entries(), (QList<bool>{false, true}));

    h.action("写后校验")->trigger();  // the write alone, no read-back from the fake line
    h.action("写信道")->trigger();
    QCOMPARE(entries(), (QList<bool>{false, false}));
    WindowHarness::press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(h.field(0, kBeat), QString());
    while (fireTimer(h.window.get(), "Timer1")) {
    }
    TRY_COMPARE(h.find<QLabel>("Label2")->text(), QStringLiteral("数据传送完毕..."));
    QCOMPARE(entries(), (QList<bool>{false, true}));
}

void TableHistoryTest::entriesUnderFile() {
    WindowHarness h;
    QStringList entries;
    for (const QAction* action : h.find<QMenu>("文件")->actions()) {
        entries << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
    }
    QCOMPARE(entries.mid(0, 5), (QStringList{"打开", "保存", "|", "撤销", "重做"}));
    QCOMPARE(h.action("撤销")->text(), QStringLiteral("撤销(&U)"));
    QCOMPARE(h.action("重做")->text(), QStringLiteral("重做(&Y)"));
    QCOMPARE(h.action("撤销")->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+Z")});
    QCOMPARE(h.action("重做")->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
}

void TableHistoryTest::keepsOverAHundredSteps() {
    WindowHarness h;
    QComboBox* beat = h.box("Combo2");
    beat->setCurrentIndex(0);
    for (int pick = 0; pick < 120; ++pick) {
        QTest::keyClick(beat, pick % 2 == 0 ? Qt::Key_Down : Qt::Key_Up);
    }
    QCOMPARE(h.field(0, kBeat), QStringLiteral("off"));
    for (int step = 0; step < 120; ++step) {
        h.action("撤销")->trigger();
    }
    QCOMPARE(h.field(0, kBeat), QString());
    QVERIFY(!h.action("撤销")->isEnabled());
}

QTEST_MAIN(TableHistoryTest)
#include "tst_table_history.moc"

// The window without a mouse: Tab out of the grid, Enter down the channels,
// the focus back where the user was after a message, Delete, copy and paste.

#include "channels/channel_record.h"
#include "try_wait.h"
#include "window_harness.h"

#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

using namespace qm3270;
using namespace qm3270::test;

namespace {

// The widget that has the window's keyboard focus (the one that gets the keys
// when the window is active): an editable box's line edit counts as the box.
QWidget* focused() {
    QWidget* window = QApplication::activeWindow();
    QWidget* focus = window != nullptr ? window->focusWidget() : QApplication::focusWidget();
    if (focus != nullptr && qobject_cast<QComboBox*>(focus->parentWidget()) != nullptr) {
        return focus->parentWidget();
    }
    return focus;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void tabLeavesTheGrid();
    void enterEndsTheEditOneRowDown();
    void focusReturnsAfterARangeMessage();
    void deleteEmptiesSelectedFrequencies();
    void blockCopiedAndPastedAsOneStep();
    void beatPastedInTheBoxsForm();
    void pasteThatDoesNotFitIsRefusedOnce();
    void shortcutsReachTheFileMenu();
    void namesForAScreenReader();
};

void KeyboardTest::tabLeavesTheGrid() {
    WindowHarness h;
    h.grid()->setFocus();
    h.selectRow(4);
    WindowHarness::press(Qt::Key_Tab);
    QCOMPARE(focused(), h.box("Combo1"));
    WindowHarness::press(Qt::Key_Tab);
    QCOMPARE(focused(), h.box("Combo2"));
    WindowHarness::press(Qt::Key_Backtab);
    WindowHarness::press(Qt::Key_Backtab);
    QCOMPARE(focused(), h.grid());
    QCOMPARE(h.grid()->currentIndex().row(), 4);  // the place is kept
}

void KeyboardTest::enterEndsTheEditOneRowDown() {
    WindowHarness h;
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(2, kReceive));
    WindowHarness::press(Qt::Key_F2);
    WindowHarness::type(QStringLiteral("145"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(h.field(2, kTransmit), QStringLiteral("145.00000"));
    QCOMPARE(h.grid()->currentIndex(), h.grid()->model()->index(3, kReceive));
    QCOMPARE(focused(), h.grid());
}

// A real box takes the keyboard while it is up: afterwards the refused cell
// has it again, so the corrected value goes where the wrong one was.
void KeyboardTest::focusReturnsAfterARangeMessage() {
    WindowHarness h;
    h.messages.whileShown = [] {
        QMessageBox box;
        QTimer::singleShot(0, &box, &QDialog::accept);
        box.exec();
    };
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(2, kReceive));
    WindowHarness::press(Qt::Key_F2);
    WindowHarness::type(QStringLiteral("600"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(h.messages.texts(), QStringList{QStringLiteral("数据超出范围 ！！")});
    // The desktop gives the window back its activation when the box closes.
    h.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
    TRY_COMPARE(focused(), h.grid());
    QCOMPARE(h.grid()->currentIndex(), h.grid()->model()->index(2, kReceive));
    WindowHarness::type(QStringLiteral("3"));  // goes into the cell, not the squelch box
    QCOMPARE(h.box("Combo1")->currentText(), QStringLiteral("3"));
    QCOMPARE(h.messages.texts().size(), 1);
    TRY_VERIFY(h.grid()->isEditing());
}

void KeyboardTest::deleteEmptiesSelectedFrequencies() {
    WindowHarness h;
    for (const int row : {1, 2}) {
        h.store->setField(row, kReceive, QStringLiteral("145.00000"));
        h.store->setField(row, kTransmit, QStringLiteral("146.00000"));
        h.store->setField(row, kBeat, QStringLiteral("on"));
    }
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(1, kReceive));
    WindowHarness::press(Qt::Key_Down, Qt::ShiftModifier);
    WindowHarness::press(Qt::Key_Right, Qt::ShiftModifier);
    WindowHarness::press(Qt::Key_Right, Qt::ShiftModifier);
    WindowHarness::press(Qt::Key_Delete);
    for (const int row : {1, 2}) {
        QCOMPARE(h.field(row, kReceive), QString());
        QCOMPARE(h.field(row, kTransmit), QString());
        QCOMPARE(h.field(row, kBeat), QStringLiteral("on"));  // not a frequency
    }
    h.trigger("撤销");
    QCOMPARE(h.field(2, kTransmit), QStringLiteral("146.00000"));
}

// A 3×2 block as a spreadsheet copies it: each value through the grid's rules,
// one undo step for all of it, and copied back out the same way.
void KeyboardTest::blockCopiedAndPastedAsOneStep() {
    WindowHarness h;
    QApplication::clipboard()->setText(
        QStringLiteral("145.013\t146\r\n147\t\r\n148.00625\t149\r\n"));
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(5, kReceive));
    WindowHarness::press(Qt::Key_V, Qt::ControlModifier);
    const QStringList pasted{h.field(5, kReceive),  h.field(5, kTransmit), h.field(6, kReceive),
                             h.field(6, kTransmit), h.field(7, kReceive),  h.field(7, kTransmit)};
    QCOMPARE(pasted,
             (QStringList{"145.01000", "146.00000", "147.00000", "", "148.00625", "149.00000"}));
    QCOMPARE(h.grid()->currentIndex(), h.grid()->model()->index(5, kReceive));

    WindowHarness::press(Qt::Key_Down, Qt::ShiftModifier);
    WindowHarness::press(Qt::Key_Right, Qt::ShiftModifier);
    WindowHarness::press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("145.01000\t146.00000\n147.00000\t\n"));

    h.trigger("撤销");
    for (const int row : {5, 6, 7}) {
        QCOMPARE(h.field(row, kReceive), QString());
    }
    QVERIFY(!h.action("撤销")->isEnabled());
}

void KeyboardTest::beatPastedInTheBoxsForm() {
    WindowHarness h;
    QApplication::clipboard()->setText(QStringLiteral("ON\n on \nOff\n"));
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(0, kBeat));
    WindowHarness::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h.field(0, kBeat), QStringLiteral("on"));
    QCOMPARE(h.field(1, kBeat), QStringLiteral("on"));
    QCOMPARE(h.field(2, kBeat), QStringLiteral("off"));
}

void KeyboardTest::pasteThatDoesNotFitIsRefusedOnce() {
    WindowHarness h;
    QApplication::clipboard()->setText(QStringLiteral("145\n").repeated(40));
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(0, kReceive));
    WindowHarness::press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("无法粘贴，信道表未改变！")});
    QCOMPARE(h.field(0, kReceive), QString());
    QVERIFY(!h.action("撤销")->isEnabled());
}

void KeyboardTest::shortcutsReachTheFileMenu() {
    WindowHarness h;
    h.grid()->setFocus();
    h.grid()->setCurrentIndex(h.grid()->model()->index(9, kTransmit));
    WindowHarness::press(Qt::Key_S, Qt::ControlModifier);
    WindowHarness::press(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(h.files.startedWith.size(), 2);  // both dialogs came up (and were cancelled)
    QCOMPARE(h.grid()->currentIndex(), h.grid()->model()->index(9, kTransmit));
}

// What a screen reader says for each control, and where Alt with a caption's
// letter would take the keyboard.
void KeyboardTest::namesForAScreenReader() {
    WindowHarness h;
    QCOMPARE(h.box("Combo1")->accessibleName(), QStringLiteral("静噪级别"));
    QCOMPARE(h.box("Combo2")->accessibleName(), QStringLiteral("拍频"));
    QCOMPARE(h.grid()->accessibleName(), QStringLiteral("信道表"));
    QCOMPARE(h.find<QWidget>("ProgressBar1")->accessibleName(), QStringLiteral("传送进度"));
    QCOMPARE(h.find<QLabel>("Label4")->buddy(), h.box("Combo1"));
    QCOMPARE(h.find<QLabel>("Label5")->buddy(), h.box("Combo2"));
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"

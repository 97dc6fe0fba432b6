#include "fake_port.h"
#include "fake_port_lister.h"
#include "link/port_selection.h"
#include "sheet/fonts.h"
#include "ui/port_dialog.h"
#include "ui_doubles.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace qm3270;
using namespace qm3270::test;

namespace {

QString fakeDeviceForNumber(int number) {
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

const QString kCom1 = fakeDeviceForNumber(1);
const QString kCom2 = fakeDeviceForNumber(2);
const QString kUsb = QStringLiteral("/dev/ttyUSB0");
const QString kUsbById = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
const QString kUsbRow = QStringLiteral("/dev/ttyUSB0  CH340 (1a86:7523)");

}  // namespace

class PortDialogTest : public QObject {
    Q_OBJECT

private:
    // The main window's side: its port, the selection and its message boxes.
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<FakePort> port_;
    std::unique_ptr<PortSelection> selection_;
    RecordingPresenter messages_;
    FakePortLister lister_;
    qsizetype touchesBefore_ = 0;

    Dialog* show() {
        return showPortDialog(window_.get(),
                              {*selection_, messages_, fakeDeviceForNumber, lister_});
    }
    static QRadioButton* option(Dialog* dialog, int number) {
        return dialog->findChild<QRadioButton*>(QStringLiteral("Option%1").arg(number));
    }
    static void clickOk(Dialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
    }
    // Brings the port to "open, n" or "closed, n" the way a user would get there.
    void startOn(int number, bool open) {
        QVERIFY(!selection_->chooseNumber(number));
        if (!open) {
            port_->close();  // the line went away
        }
        touchesBefore_ = port_->openAttempts().size() + port_->closes();
    }
    // How often the port was opened or closed since startOn().
    qsizetype touches() const {
        return port_->openAttempts().size() + port_->closes() - touchesBefore_;
    }

private Q_SLOTS:
    void initTestCase() { installFontSubstitutions(); }
    void init() {
        window_ = std::make_unique<QWidget>();
        port_ = std::make_unique<FakePort>();
        selection_ = std::make_unique<PortSelection>(*port_, fakeDeviceForNumber);
        messages_.shown.clear();
        lister_.pullAll();
        lister_.plug(kUsb, 0x1a86, 0x7523, {}, kUsbById);
        lister_.plug(QStringLiteral("/dev/ttyACM0"), 0x2341, 0x0043);
    }
    void cleanup() {
        window_.reset();  // takes an open dialog with it
        selection_.reset();
        port_.reset();
    }

    void designedControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("kai");
        QTest::newRow("Label1") << "Label1"
                                << "请选择串行口:" << QRect(16, 16, 153, 25) << true;
        QTest::newRow("Option1") << "Option1"
                                 << " COM1" << QRect(48, 49, 113, 27) << true;
        QTest::newRow("Option2") << "Option2"
                                 << " COM2" << QRect(48, 82, 89, 34) << true;
        QTest::newRow("Option3") << "Option3"
                                 << " 其它端口" << QRect(48, 119, 113, 27) << true;
        QTest::newRow("OKButton") << "OKButton"
                                  << "确定" << QRect(8, 196, 73, 25) << false;
        QTest::newRow("CancelButton") << "CancelButton"
                                      << "取消" << QRect(104, 196, 73, 25) << false;
    }
    void designedControls() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        QFETCH(bool, kai);
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("Dialog"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("选择端口"));
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->size(), QSize(200, 246));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));

        auto* control = dialog->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        const QVariant text = control->property("text");
        QCOMPARE(text.toString(), caption);
        QCOMPARE(control->geometry(), geometry);
        if (kai) {
            QCOMPARE(control->font().family(), QStringLiteral("楷体_GB2312"));
        }
    }

    void loadRule_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("typedDevice");
        QTest::addColumn<int>("selected");
        QTest::newRow("COM1 open") << 1 << true << QString() << 1;
        QTest::newRow("COM2 open") << 2 << true << QString() << 2;
        // Open or closed does not matter: the number decides.
        QTest::newRow("COM2 closed") << 2 << false << QString() << 2;
        QTest::newRow("typed device open") << 1 << true << QStringLiteral("/dev/pts/3") << 3;
    }
    void loadRule() {
        QFETCH(int, number);
        QFETCH(bool, open);
        QFETCH(QString, typedDevice);
        QFETCH(int, selected);
        startOn(number, open);
        if (!typedDevice.isEmpty()) {
            QVERIFY(!selection_->chooseDevice(typedDevice));
        }
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(option(dialog, n)->isChecked(), n == selected);
        }
        QCOMPARE(dialog->focusWidget(), option(dialog, selected));  // the keyboard starts there
        if (!typedDevice.isEmpty()) {
            QCOMPARE(dialog->findChild<QComboBox*>(QStringLiteral("Combo3"))->currentText(),
                     typedDevice);
        }
    }

    // Every row of the port's state table, through the dialog's OK button.
    void okButton_data() {
        QTest::addColumn<int>("startNumber");
        QTest::addColumn<bool>("startOpen");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("busy");
        QTest::addColumn<bool>("endOpen");
        QTest::addColumn<int>("endNumber");
        QTest::addColumn<QString>("endDevice");
        QTest::addColumn<QString>("message");

        const QString com1Busy = QStringLiteral("串行端口 1 已被使用 ");
        const QString com2Busy = QStringLiteral("串行端口 2 已被使用， ");
        QTest::newRow("open 1, same")
            << 1 << true << 1 << QString() << true << 1 << kCom1 << QString();
        QTest::newRow("open 2, same")
            << 2 << true << 2 << QString() << true << 2 << kCom2 << QString();
        QTest::newRow("open 1, other opens")
            << 1 << true << 2 << QString() << true << 2 << kCom2 << QString();
        QTest::newRow("open 2, other opens")
            << 2 << true << 1 << QString() << true << 1 << kCom1 << QString();
        QTest::newRow("open 1, other busy")
            << 1 << true << 2 << kCom2 << false << 1 << QString() << com2Busy;
        QTest::newRow("open 2, other busy")
            << 2 << true << 1 << kCom1 << false << 2 << QString() << com1Busy;
        QTest::newRow("closed 1, same opens")
            << 1 << false << 1 << QString() << true << 1 << kCom1 << QString();
        QTest::newRow("closed 2, same busy")
            << 2 << false << 2 << kCom2 << false << 1 << QString() << com2Busy;
        QTest::newRow("closed 1, same busy")
            << 1 << false << 1 << kCom1 << false << 2 << QString() << com1Busy;
        QTest::newRow("closed 1, other opens")
            << 1 << false << 2 << QString() << true << 2 << kCom2 << QString();
        QTest::newRow("closed 2, other busy")
            << 2 << false << 1 << kCom1 << false << 2 << QString() << com1Busy;
        // endNumber 0: the number is not looked at.
        QTest::newRow("other port opens")
            << 1 << true << 3 << QString() << true << 0 << kUsb << QString();
        QTest::newRow("other port busy")
            << 2 << true << 3 << kUsb << false << 0 << QString() << QStringLiteral("?");
    }
    void okButton() {
        QFETCH(int, startNumber);
        QFETCH(bool, startOpen);
        QFETCH(int, choice);
        QFETCH(QString, busy);
        QFETCH(bool, endOpen);
        QFETCH(int, endNumber);
        QFETCH(QString, endDevice);
        QFETCH(QString, message);
        startOn(startNumber, startOpen);
        port_->refuseDevice(busy);

        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        option(dialog, choice)->click();
        if (choice == 3) {
            dialog->findChild<QComboBox*>(QStringLiteral("Combo3"))->setCurrentText(kUsb);
        }
        clickOk(dialog);

        QCOMPARE(port_->isOpen(), endOpen);
        if (endOpen) {
            QCOMPARE(port_->device(), endDevice);
        }
        if (endNumber != 0) {
            QCOMPARE(selection_->number(), endNumber);
        }
        if (message.isEmpty()) {
            QVERIFY(messages_.shown.empty());
            QTRY_VERIFY(alive.isNull());
        } else {
            QCOMPARE(messages_.shown.size(), 1);
            if (message != QStringLiteral("?")) {
                QCOMPARE(messages_.shown[0].message.text, message);
            }
            QCOMPARE(messages_.shown[0].message.title, QStringLiteral("系统信息"));
            QCOMPARE(messages_.shown[0].parent, dialog);
            QVERIFY(!alive.isNull());
            QVERIFY(dialog->isVisible());
            QVERIFY(option(dialog, choice)->isChecked());
        }
    }

    void okWithTheOpenPortLeavesItAlone() {
        startOn(2, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        clickOk(dialog);
        QCOMPARE(touches(), 0);
        QTRY_VERIFY(alive.isNull());
    }

    void retryAfterBusyPort() {
        startOn(2, true);
        port_->refuseDevice(kCom1);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        option(dialog, 1)->click();
        clickOk(dialog);
        QVERIFY(!port_->isOpen());
        QCOMPARE(messages_.texts(), QStringList{QStringLiteral("串行端口 1 已被使用 ")});

        option(dialog, 2)->click();
        clickOk(dialog);
        QVERIFY(port_->isOpen());
        QCOMPARE(port_->device(), kCom2);
        QTRY_VERIFY(alive.isNull());
    }

    void okWithoutAChoiceDoesNothing_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("no option") << QString();
        QTest::newRow("other port, blank device") << QStringLiteral("   ");
    }
    void okWithoutAChoiceDoesNothing() {
        QFETCH(QString, typed);
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        if (typed.isNull()) {
            for (int n = 1; n <= 3; ++n) {
                option(dialog, n)->setAutoExclusive(false);
                option(dialog, n)->setChecked(false);
            }
        } else {
            option(dialog, 3)->click();
            dialog->findChild<QComboBox*>(QStringLiteral("Combo3"))->setCurrentText(typed);
        }
        clickOk(dialog);
        QCOMPARE(touches(), 0);
        QVERIFY(messages_.shown.empty());
        QVERIFY(!alive.isNull());
        QVERIFY(dialog->isVisible());
    }

    void cancelNeverChangesThePort_data() {
        QTest::addColumn<bool>("afterFailedOk");
        QTest::newRow("port open") << false;
        QTest::newRow("after a failed OK") << true;
    }
    void cancelNeverChangesThePort() {
        QFETCH(bool, afterFailedOk);
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        option(dialog, 2)->click();
        if (afterFailedOk) {
            port_->refuseDevice(kCom2);
            clickOk(dialog);
            QVERIFY(!alive.isNull());
        }
        const bool wasOpen = port_->isOpen();
        const int number = selection_->number();
        const qsizetype touched = touches();

        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CancelButton")),
                          Qt::LeftButton);
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(port_->isOpen(), wasOpen);
        QCOMPARE(selection_->number(), number);
        QCOMPARE(touches(), touched);
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("portChanged");
        QTest::newRow("Enter presses OK") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc cancels") << int(Qt::Key_Escape) << false;
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(bool, portChanged);
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        option(dialog, 2)->click();
        QTest::keyClick(dialog, Qt::Key(key));
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(port_->device(), portChanged ? kCom2 : kCom1);
    }

    void oneDialogKeepsItsState() {
        startOn(1, true);
        Dialog* const first = show();
        QVERIFY(first != nullptr);
        const QPointer<Dialog> alive(first);
        option(first, 2)->click();  // chosen, not yet confirmed
        Dialog* const second = show();
        QCOMPARE(second, first);
        QCOMPARE(window_->findChildren<Dialog*>().size(), qsizetype{1});
        QVERIFY(option(second, 2)->isChecked());

        first->close();
        QTRY_VERIFY(alive.isNull());
        Dialog* const fresh = show();
        QVERIFY(option(fresh, 1)->isChecked());  // loaded afresh from the port
    }

    void otherPortOffersKnownDevicesAndTypedPaths() {
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        auto* devices = dialog->findChild<QComboBox*>(QStringLiteral("Combo3"));
        QCOMPARE(devices->count(), 2);
        QCOMPARE(devices->itemText(1), kUsbRow);
        // Typing a path (a pseudo-terminal is never listed) chooses the third option.
        QTest::keyClicks(devices->lineEdit(), QStringLiteral("/dev/pts/3"));
        QVERIFY(option(dialog, 3)->isChecked());
        clickOk(dialog);
        QCOMPARE(port_->device(), QStringLiteral("/dev/pts/3"));
        QVERIFY(port_->isOpen());
    }

    // A picked row opens under its stable name; the list follows the cables
    // and keeps what the user has picked or typed.
    void otherPortListFollowsTheCables() {
        startOn(1, true);
        Dialog* const dialog = show();
        const QPointer<Dialog> alive(dialog);
        auto* devices = dialog->findChild<QComboBox*>(QStringLiteral("Combo3"));
        devices->setCurrentIndex(1);
        lister_.plug(QStringLiteral("/dev/ttyUSB1"), 0x10c4, 0xea60);
        lister_.listed.removeAt(1);  // ttyACM0 pulled out
        QTRY_COMPARE_WITH_TIMEOUT(devices->count(), 2, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(devices->itemText(1),
                                  QStringLiteral("/dev/ttyUSB1  CP210x (10c4:ea60)"), 2000);
        QCOMPARE(devices->currentText(), kUsbRow);
        option(dialog, 3)->click();
        clickOk(dialog);
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(port_->device(), kUsbById);
    }

    void arrowsMoveTheSelection() {
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(option(dialog, 2)->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(option(dialog, 3)->isChecked());
        QCOMPARE(QApplication::focusWidget(), option(dialog, 3));
    }

    void closingTheMainWindowTakesTheDialog() {
        startOn(1, true);
        Dialog* const dialog = show();
        QVERIFY(dialog != nullptr);
        const QPointer<Dialog> alive(dialog);
        window_.reset();
        QVERIFY(alive.isNull());
    }
};

QTEST_MAIN(PortDialogTest)
#include "tst_port_dialog.moc"

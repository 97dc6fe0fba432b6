#include "fake_port.h"
#include "link/port_selection.h"

#include <QTest>

using qm3270::PortOpenFailure;
using qm3270::PortSelection;
using Kind = qm3270::PortOpenFailure::Kind;
using qm3270::UserMessage;
using qm3270::test::FakePort;

namespace {

const QString kCom1 = QStringLiteral("/dev/ttyS0");
const QString kCom2 = QStringLiteral("/dev/ttyS1");

QString device(int number) {
    return number == 1 ? kCom1 : kCom2;
}

UserMessage portMessage(const QString& text) {
    return {text, QStringLiteral("系统信息"), UserMessage::Icon::Exclamation};
}

// The designed message; the reason that comes with it is checked on its own.
UserMessage withoutDetail(UserMessage message) {
    message.detail.clear();
    return message;
}

}  // namespace

class PortSelectionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUp_data() {
        QTest::addColumn<QString>("explicitDevice");  // empty: no --port
        QTest::addColumn<QStringList>("busy");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("attemptsBeforeEachMessage");
        QTest::addColumn<QString>("openDevice");  // empty: runs on with the port closed
        QTest::addColumn<int>("number");

        const QString com1Busy = QStringLiteral("串行端口 1已被其它设备使用，请选择 COM2 ");
        const QString noPort = QStringLiteral("串行端口 2 也无法打开，请在“系统设置”中选择端口。");
        const QString pts = QStringLiteral("/dev/pts/7");

        QTest::newRow("COM1 free")
            << QString() << QStringList() << QStringList() << QStringList() << kCom1 << 1;
        QTest::newRow("COM1 busy, COM2 free")
            << QString() << QStringList{kCom1} << QStringList{com1Busy} << QStringList{kCom1}
            << kCom2 << 2;
        QTest::newRow("both busy")
            << QString() << QStringList{kCom1, kCom2} << QStringList{com1Busy, noPort}
            << QStringList{kCom1, kCom1 + u',' + kCom2} << QString() << 2;
        QTest::newRow("--port free")
            << pts << QStringList{kCom1} << QStringList() << QStringList() << pts << 1;
        QTest::newRow("--port busy: no fallback")
            << pts << QStringList{pts}
            << QStringList{QStringLiteral(
                   "串行端口 /dev/pts/7 无法打开，请在“系统设置”中选择端口。")}
            << QStringList{pts} << QString() << 1;
    }

    void startUp() {
        QFETCH(QString, explicitDevice);
        QFETCH(QStringList, busy);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, attemptsBeforeEachMessage);
        QFETCH(QString, openDevice);
        QFETCH(int, number);

        FakePort port;
        for (const QString& d : busy) {
            port.refuseDevice(d);
        }
        PortSelection selection(port, device);
        QStringList shown;
        QStringList attemptsWhenShown;
        selection.openAtStartUp(
            explicitDevice.isEmpty() ? std::nullopt : std::optional<QString>(explicitDevice),
            [&](const UserMessage& message) {
                QCOMPARE(message.title, QStringLiteral("系统信息"));
                QCOMPARE(message.icon, UserMessage::Icon::Exclamation);
                shown << message.text;
                attemptsWhenShown << port.openAttempts().join(u',');
            });

        QCOMPARE(shown, messages);
        QCOMPARE(attemptsWhenShown, attemptsBeforeEachMessage);
        QCOMPARE(port.isOpen(), !openDevice.isEmpty());
        if (port.isOpen()) {
            QCOMPARE(port.device(), openDevice);
        }
        QCOMPARE(selection.number(), number);
        QCOMPARE(selection.otherDevice(), explicitDevice);
    }

    void chooseNumber_data() {
        QTest::addColumn<int>("fromNumber");
        QTest::addColumn<bool>("fromOpen");
        QTest::addColumn<QStringList>("busy");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");  // empty: the dialog closes

        const QString com1InUse = QStringLiteral("串行端口 1 已被使用 ");
        const QString com2InUse = QStringLiteral("串行端口 2 已被使用， ");
        const QStringList none;

        // Same option as the open port: nothing is reopened, even if it would fail now.
        QTest::newRow("open 1, OK 1")
            << 1 << true << QStringList{kCom1} << 1 << true << 1 << QString();
        QTest::newRow("open 2, OK 2")
            << 2 << true << QStringList{kCom2} << 2 << true << 2 << QString();
        QTest::newRow("open 1, OK 2, opens") << 1 << true << none << 2 << true << 2 << QString();
        QTest::newRow("open 2, OK 1, opens") << 2 << true << none << 1 << true << 1 << QString();
        QTest::newRow("open 1, OK 2, busy")
            << 1 << true << QStringList{kCom2} << 2 << false << 1 << com2InUse;
        QTest::newRow("open 2, OK 1, busy")
            << 2 << true << QStringList{kCom1} << 1 << false << 2 << com1InUse;
        QTest::newRow("closed 1, OK 1, opens") << 1 << false << none << 1 << true << 1 << QString();
        QTest::newRow("closed 1, OK 1, busy")
            << 1 << false << QStringList{kCom1} << 1 << false << 2 << com1InUse;
        QTest::newRow("closed 2, OK 2, busy")
            << 2 << false << QStringList{kCom2} << 2 << false << 1 << com2InUse;
        QTest::newRow("closed 1, OK 2, opens") << 1 << false << none << 2 << true << 2 << QString();
        QTest::newRow("closed 1, OK 2, busy")
            << 1 << false << QStringList{kCom2} << 2 << false << 1 << com2InUse;
        QTest::newRow("closed 2, OK 1, busy")
            << 2 << false << QStringList{kCom1} << 1 << false << 2 << com1InUse;
    }

    void chooseNumber() {
        QFETCH(int, fromNumber);
        QFETCH(bool, fromOpen);
        QFETCH(QStringList, busy);
        QFETCH(int, option);
        QFETCH(bool, open);
        QFETCH(int, number);
        QFETCH(QString, message);

        FakePort port;
        PortSelection selection(port, device);
        QVERIFY(!selection.chooseNumber(fromNumber));
        if (!fromOpen) {
            port.close();
        }
        for (const QString& d : busy) {
            port.refuseDevice(d);
        }
        const qsizetype attemptsBefore = port.openAttempts().size();

        const auto result = selection.chooseNumber(option);

        QCOMPARE(port.isOpen(), open);
        if (open) {
            QCOMPARE(port.device(), device(number));
        }
        QCOMPARE(selection.number(), number);
        QCOMPARE(result.has_value(), !message.isEmpty());
        if (result) {
            QCOMPARE(withoutDetail(*result), portMessage(message));
        }
        if (fromOpen && option == fromNumber) {
            QCOMPARE(port.openAttempts().size(), attemptsBefore);  // the line is not disturbed
        }
    }

    void otherDevice() {
        FakePort port;
        PortSelection selection(port, device);
        QVERIFY(!selection.chooseNumber(1));

        QVERIFY(!selection.chooseDevice(QStringLiteral(" /dev/ttyUSB0 ")));
        QCOMPARE(port.device(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(selection.otherDevice(), QStringLiteral("/dev/ttyUSB0"));

        // " COM1" again leaves the USB cable, although the number never changed.
        QVERIFY(!selection.chooseNumber(1));
        QCOMPARE(port.device(), kCom1);
        QVERIFY(selection.otherDevice().isEmpty());

        port.refuseDevice(QStringLiteral("COM9"));
        const auto refused = selection.chooseDevice(QStringLiteral("COM9"));
        QVERIFY(refused);
        QCOMPARE(withoutDetail(*refused),
                 portMessage(QStringLiteral("串行端口 COM9 无法打开，请在“系统设置”中选择端口。")));
        QVERIFY(!port.isOpen());
    }

    // Each way an open fails: the designed text stays, the detail says why and
    // what to do, in the user's language.
    void failureDetail_data() {
        QTest::addColumn<PortOpenFailure>("failure");
        QTest::addColumn<QString>("detail");

        QTest::newRow("missing") << PortOpenFailure{Kind::Missing, {}, "No such file or directory"}
                                 << QStringLiteral("设备 /dev/ttyS1 不存在。");
        QTest::newRow("busy") << PortOpenFailure{Kind::Busy, {}, "Resource temporarily unavailable"}
                              << QStringLiteral("设备 /dev/ttyS1 正被其它程序使用。");
        QTest::newRow("permission")
            << PortOpenFailure{Kind::Permission, "dialout", "Permission denied"}
            << QStringLiteral(
                   "没有使用设备 /dev/ttyS1 的权限：请把自己加入拥有它的用户组"
                   "（sudo usermod -aG dialout $USER），然后重新登录。");
        QTest::newRow("other") << PortOpenFailure{Kind::Other, {}, "Input/output error"}
                               << QStringLiteral("Input/output error");
    }

    void failureDetail() {
        QFETCH(PortOpenFailure, failure);
        QFETCH(QString, detail);

        FakePort port;
        port.refuseDevice(kCom2, failure);
        PortSelection selection(port, device);
        const auto fromDialog = selection.chooseNumber(2);
        QVERIFY(fromDialog);
        QCOMPARE(fromDialog->text, QStringLiteral("串行端口 2 已被使用， "));
        QCOMPARE(fromDialog->detail, detail);

        QList<UserMessage> atStartUp;
        PortSelection named(port, device);
        named.openAtStartUp(kCom2, [&](const UserMessage& m) { atStartUp << m; });
        QCOMPARE(atStartUp.size(), 1);
        QCOMPARE(atStartUp[0].text,
                 QStringLiteral("串行端口 /dev/ttyS1 无法打开，请在“系统设置”中选择端口。"));
        QCOMPARE(atStartUp[0].detail, detail);
    }
};

QTEST_GUILESS_MAIN(PortSelectionTest)
#include "tst_port_selection.moc"

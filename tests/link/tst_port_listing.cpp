#include "fake_port.h"
#include "fake_port_lister.h"
#include "link/port_list_model.h"
#include "link/port_return_watch.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using qm3270::PortListModel;
using qm3270::PortReturnWatch;
using qm3270::test::FakePort;
using qm3270::test::FakePortLister;

namespace {

const QString kById = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");

}  // namespace

// The ports as the dialog lists them, and how a lost device is known again.
class PortListingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listText() {
        FakePortLister lister;
        lister.plug(QStringLiteral("/dev/ttyUSB0"), 0x1a86, 0x7523);
        lister.plug(QStringLiteral("/dev/ttyUSB1"), 0x0403, 0x6001, QStringLiteral("A1"), kById);
        lister.plug(QStringLiteral("/dev/ttyACM0"), 0x2341, 0x0043).description =
            QStringLiteral("Arduino Uno");
        qm3270::PortListing builtIn;
        builtIn.device = QStringLiteral("/dev/ttyS0");
        lister.listed << builtIn;

        PortListModel model(lister);
        QAbstractItemModelTester tester(&model);
        QStringList rows;
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows << model.index(row).data().toString();
            names << model.index(row).data(PortListModel::kNameRole).toString();
        }
        QCOMPARE(rows, (QStringList{QStringLiteral("/dev/ttyACM0  Arduino Uno (2341:0043)"),
                                    QStringLiteral("/dev/ttyS0"),
                                    QStringLiteral("/dev/ttyUSB0  CH340 (1a86:7523)"),
                                    QStringLiteral("/dev/ttyUSB1  FT232 (0403:6001)")}));
        QCOMPARE(names.at(3), kById);  // a stable name is what gets opened

        // Plugged in and pulled out while the list is shown: only those rows move.
        lister.listed.removeAt(0);  // ttyUSB0
        lister.plug(QStringLiteral("/dev/ttyUSB2"), 0x10c4, 0xea60);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.refresh();
        QCOMPARE(reset.count(), 0);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(model.index(2).data().toString(),
                 QStringLiteral("/dev/ttyUSB1  FT232 (0403:6001)"));
        QCOMPARE(model.index(3).data().toString(),
                 QStringLiteral("/dev/ttyUSB2  CP210x (10c4:ea60)"));
    }

    // Which name a lost device is reopened under, given what is there now.
    void returnedName_data() {
        QTest::addColumn<QString>("lostName");
        QTest::addColumn<bool>("wasUsbCable");  // ttyUSB0, FT232 serial A1, when it was lost
        QTest::addColumn<QString>("nowThere");  // "usb0:A1" cable A1 at ttyUSB0; "pty"; ""
        QTest::addColumn<QString>("expected");  // "" not reopened

        const QString usb0 = QStringLiteral("/dev/ttyUSB0");
        const QString pty = QStringLiteral("/tmp/radio-line");
        QTest::newRow("pty link back") << pty << false << "pty" << pty;
        QTest::newRow("pty link still gone") << pty << false << "" << QString();
        QTest::newRow("cable back on its number") << usb0 << true << "usb0:A1" << usb0;
        QTest::newRow("cable back on another number") << usb0 << true << "usb1:A1" << kById;
        QTest::newRow("another serial on the number") << usb0 << true << "usb0:B2" << QString();
        QTest::newRow("another serial, same cable elsewhere")
            << usb0 << true << "usb0:B2 usb1:A1" << kById;
        QTest::newRow("by-id name back") << kById << true << "usb1:A1" << kById;
        QTest::newRow("by-id name, another serial") << kById << true << "usb1:B2" << QString();
        QTest::newRow("nothing plugged") << usb0 << true << "" << QString();
    }

    void returnedName() {
        QFETCH(QString, lostName);
        QFETCH(bool, wasUsbCable);
        QFETCH(QString, nowThere);
        QFETCH(QString, expected);

        FakePortLister lister;
        for (const QString& cable : nowThere.split(u' ', Qt::SkipEmptyParts)) {
            if (cable == QStringLiteral("pty")) {
                lister.unlisted << QStringLiteral("/dev/pts/7");
                lister.links.insert(QStringLiteral("/tmp/radio-line"),
                                    QStringLiteral("/dev/pts/7"));
                continue;
            }
            const QString serial = cable.section(u':', 1);
            lister.plug(
                QStringLiteral("/dev/tty%1").arg(cable.section(u':', 0, 0).toUpper()), 0x0403,
                0x6001, serial,
                QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_%1-if00-port0").arg(serial));
        }
        std::optional<qm3270::PortListing> was;
        if (wasUsbCable) {
            was.emplace();
            was->vendor = 0x0403;
            was->product = 0x6001;
            was->serialNumber = QStringLiteral("A1");
        }
        const auto name = PortReturnWatch::returnedName(lister, lostName, was);
        QCOMPARE(name.value_or(QString()), expected);
    }

    // Lost, a stranger plugged in (told once, left closed), then the cable back.
    void lostCableIsReopenedWhenItReturns() {
        FakePortLister lister;
        const QString usb0 = QStringLiteral("/dev/ttyUSB0");
        lister.plug(usb0, 0x1a86, 0x7523, QStringLiteral("S1"));
        FakePort port;
        QVERIFY(port.open(usb0, nullptr));
        PortReturnWatch watch(port, lister, 10ms);
        watch.follow();
        QSignalSpy lost(&watch, &PortReturnWatch::lost);
        QSignalSpy returned(&watch, &PortReturnWatch::returned);
        QSignalSpy other(&watch, &PortReturnWatch::otherCable);

        port.failLine();
        lister.pullAll();
        QCOMPARE(lost.count(), 1);
        QVERIFY(watch.isLost());
        lister.plug(usb0, 0x1a86, 0x7523, QStringLiteral("S2"));
        QTRY_COMPARE(other.count(), 1);
        QTest::qWait(50);
        QCOMPARE(other.count(), 1);
        QCOMPARE(port.openAttempts().size(), 1);  // never opened

        lister.pullAll();
        lister.plug(usb0, 0x1a86, 0x7523, QStringLiteral("S1"));
        QTRY_COMPARE(returned.count(), 1);
        QCOMPARE(returned.at(0).at(0).toString(), usb0);
        QVERIFY(port.isOpen());
        QVERIFY(!watch.isLost());
    }
};

QTEST_GUILESS_MAIN(PortListingTest)
#include "tst_port_listing.moc"

// The port at start-up, the port remembered, and what the status bar says of it.

#include "fake_port.h"
#include "fake_port_lister.h"
#include "link/port_selection.h"
#include "session/port_keeper.h"
#include "session/port_memory.h"
#include "test_files.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qm3270;
using test::FakePort;
using test::FakePortLister;

namespace {

const QString kUsb0 = QStringLiteral("/dev/ttyUSB0");
const QString kCh340ById = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
const QString kPty = QStringLiteral("/tmp/radio-line");

// One program start: a settings file, what is plugged in, the fake line.
struct Bench {
    Bench() : settings(dir.filePath(QStringLiteral("qm3270.conf")), QSettings::IniFormat) {}

    PortKeeper& start(const std::optional<QString>& explicitDevice = std::nullopt,
                      bool simulated = false) {
        memory = std::make_unique<PortMemory>(&settings);
        keeper = std::make_unique<PortKeeper>(selection, lister, *memory, simulated);
        QObject::connect(keeper.get(), &PortKeeper::note,
                         [this](const QString& text) { notes << text; });
        keeper->openAtStartUp(explicitDevice,
                              [this](const UserMessage& message) { messages << message; });
        return *keeper;
    }

    QTemporaryDir dir;
    QSettings settings;
    FakePortLister lister;
    FakePort port;
    PortSelection selection{port, [](int number) { return QStringLiteral("COM%1").arg(number); }};
    std::unique_ptr<PortMemory> memory;
    std::unique_ptr<PortKeeper> keeper;
    QList<UserMessage> messages;
    QStringList notes;
};

}  // namespace

class PortKeeperTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUp_data() {
        QTest::addColumn<QString>("remembered");  // with the ids of the CH340 "S1"
        QTest::addColumn<QString>("plugged");     // "ch340", "pl2303", "arduino", "pty"
        QTest::addColumn<QStringList>("refused");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("note");

        const QStringList none;
        QTest::newRow("remembered cable there")
            << kCh340ById << "ch340" << none << "端口：" + kCh340ById + "（CH340）" << 0 << "";
        QTest::newRow("remembered link points nowhere")
            << kCh340ById << "" << none << "端口：COM1" << 0
            << "记住的端口 " + kCh340ById + " 不存在";
        QTest::newRow("remembered number now another device")
            << kUsb0 << "arduino" << none << "端口：COM1" << 0
            << "记住的端口 /dev/ttyUSB0 现在是另一个设备：/dev/ttyUSB0  Arduino "
               "(2341:0043)，未打开";
        QTest::newRow("remembered pty busy")
            << kPty << "pty" << QStringList{kPty} << "端口：COM1" << 0
            << "端口 " + kPty + " 无法打开：设备 " + kPty + " 正被其它程序使用。";
        QTest::newRow("the one known cable")
            << ""
            << "ch340 arduino" << none << "端口：" + kCh340ById + "（CH340）" << 0 << "";
        QTest::newRow("two known cables") << ""
                                          << "ch340 pl2303" << none << "端口：COM1" << 0 << "";
        QTest::newRow("the one cable busy, COM1 too")
            << ""
            << "ch340" << QStringList{kCh340ById, QStringLiteral("COM1")} << "端口：COM2" << 1
            << "端口 " + kCh340ById + " 无法打开：设备 " + kCh340ById + " 正被其它程序使用。";
        QTest::newRow("nothing anywhere")
            << ""
            << "" << QStringList{QStringLiteral("COM1"), QStringLiteral("COM2")} << "端口：未打开"
            << 2 << "";
    }

    void startUp() {
        QFETCH(QString, remembered);
        QFETCH(QString, plugged);
        QFETCH(QStringList, refused);
        QFETCH(QString, status);
        QFETCH(int, messages);
        QFETCH(QString, note);

        Bench bench;
        if (!remembered.isEmpty()) {
            bench.settings.setValue(QStringLiteral("port/name"), remembered);
            if (remembered != kPty) {
                bench.settings.setValue(QStringLiteral("port/usbIds"),
                                        QStringLiteral("1a86:7523:S1"));
            }
        }
        for (const QString& device : plugged.split(u' ', Qt::SkipEmptyParts)) {
            if (device == QStringLiteral("ch340")) {
                bench.lister.plug(kUsb0, 0x1a86, 0x7523, QStringLiteral("S1"), kCh340ById);
            } else if (device == QStringLiteral("pl2303")) {
                bench.lister.plug(QStringLiteral("/dev/ttyUSB1"), 0x067b, 0x2303);
            } else if (device == QStringLiteral("arduino")) {
                bench.lister.plug(kUsb0, 0x2341, 0x0043).description = QStringLiteral("Arduino");
            } else {
                bench.lister.unlisted << kPty;
            }
        }
        for (const QString& device : refused) {
            bench.port.refuseDevice(device);
        }
        const PortKeeper& keeper = bench.start();
        QCOMPARE(keeper.statusText(), status);
        QCOMPARE(bench.messages.size(), messages);
        QCOMPARE(bench.notes.join(u'|'), note);
    }

    // Only a port the user chose, where the radio answered, is remembered.
    void rememberedPort_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("ids");
        QTest::newRow("--port by its number") << "port" << kCh340ById << "1a86:7523:S1";
        QTest::newRow("the dialog's choice") << "dialog" << kPty << "";
        QTest::newRow("--simulate") << "simulate"
                                    << ""
                                    << "";
        QTest::newRow("COM1 at start-up") << "default"
                                          << ""
                                          << "";
    }

    void rememberedPort() {
        QFETCH(QString, how);
        QFETCH(QString, remembered);
        QFETCH(QString, ids);

        Bench bench;
        bench.lister.plug(kUsb0, 0x1a86, 0x7523, QStringLiteral("S1"), kCh340ById);
        bench.lister.plug(QStringLiteral("/dev/ttyUSB1"), 0x067b, 0x2303);  // two cables
        bench.lister.unlisted << kPty;
        PortKeeper& keeper = bench.start(how == QStringLiteral("port")       ? std::optional(kUsb0)
                                         : how == QStringLiteral("simulate") ? std::optional(kPty)
                                                                             : std::nullopt,
                                         how == QStringLiteral("simulate"));
        keeper.radioAnswered();  // an answer before the dialog is not the dialog's port
        if (how == QStringLiteral("dialog")) {
            QVERIFY(!bench.selection.chooseDevice(kPty));
            keeper.portChosen();
            keeper.radioAnswered();
        }
        QCOMPARE(bench.settings.value(QStringLiteral("port/name")).toString(), remembered);
        QCOMPARE(bench.settings.value(QStringLiteral("port/usbIds")).toString(), ids);
        if (how == QStringLiteral("simulate")) {
            QCOMPARE(keeper.statusText(), QStringLiteral("端口：模拟对讲机"));
        }
    }

    // A settings file that cannot be read is said once and left as it is.
    void unreadableSettingsAreLeftAlone() {
        Bench bench;
        const QString path = bench.dir.filePath(QStringLiteral("broken.conf"));
        const char raw[] = "port/name=/dev/ttyUSB0\n[gar\0bage\n\xff\xfe=\n";
        const QByteArray broken(raw, sizeof(raw) - 1);
        QVERIFY(test::writeBytes(path, broken));
        QSettings settings(path, QSettings::IniFormat);
        PortMemory memory(&settings);
        PortKeeper keeper(bench.selection, bench.lister, memory, false);
        QList<UserMessage> shown;
        keeper.openAtStartUp(kPty, [&](const UserMessage& message) { shown << message; });
        keeper.radioAnswered();
        settings.sync();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(
            shown.at(0).text,
            QStringLiteral("设置文件 %1 无法读取：本次不会记住端口，文件保持原样。").arg(path));
        QCOMPARE(shown.at(0).detail, QStringLiteral("文件格式有误。"));
        QCOMPARE(test::fileBytes(path), broken);
    }

    // The status bar says a line is lost (its return is shown on a real line,
    // tst_line_return_e2e); a port chosen meanwhile ends the wait.
    void portChosenWhileLost() {
        Bench bench;
        bench.lister.unlisted << kPty;
        PortKeeper& keeper = bench.start(kPty);
        bench.lister.unlisted.clear();
        bench.port.failLine();
        QCOMPARE(keeper.statusText(), "端口：" + kPty + "（已断开）");
        QVERIFY(!bench.selection.chooseNumber(2));
        keeper.portChosen();
        bench.lister.unlisted << kPty;
        QTest::qWait(700);
        QCOMPARE(bench.port.device(), QStringLiteral("COM2"));
        QCOMPARE(keeper.statusText(), QStringLiteral("端口：COM2"));
    }
};

QTEST_GUILESS_MAIN(PortKeeperTest)
#include "tst_port_keeper.moc"

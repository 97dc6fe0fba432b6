#include "channels/channel_store.h"
#include "channels/channel_table_model.h"
#include "fake_port.h"
#include "timer_firing.h"
#include "try_wait.h"
#include "ui/transfer_controller.h"
#include "ui_doubles.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace std::chrono_literals;
using qm3270::ChannelStore;
using qm3270::ChannelTable;
using qm3270::ChannelTableModel;
using qm3270::LinkTiming;
using qm3270::TransferController;
using qm3270::TransferWidgets;
using qm3270::UserMessage;
using qm3270::test::FakePort;
using qm3270::test::fireTimer;
using qm3270::test::RecordingPresenter;

namespace {

const QString kFrame1 = QStringLiteral("07010000861200000015");    // squelch 7, 150 MHz, beat on
const QString kFrame2 = QStringLiteral("01015012461100004017");    // 136.0125 / 174 MHz, on
const QString kFrameOff = QStringLiteral("04005012421250125614");  // 145.6125 both, off

QByteArray radioMemory() {
    QString all = kFrame1 + kFrame2;
    for (int k = 3; k <= 16; ++k) {
        all += kFrameOff;
    }
    return all.toLatin1();
}

// The controls of the main window that the transfers drive, and everything
// behind them, with the radio on a fake line.
struct Window {
    QWidget widget;
    QMenu* systemMenu = new QMenu(&widget);
    QMenu* helpMenu = new QMenu(&widget);
    QAction* read = new QAction(&widget);
    QAction* write = new QAction(&widget);
    QAction* open = new QAction(&widget);
    QAction* exit = new QAction(&widget);
    QLabel* status = new QLabel(QStringLiteral(" "), &widget);
    QProgressBar* progress = new QProgressBar(&widget);
    QComboBox* squelch = new QComboBox(&widget);
    std::unique_ptr<ChannelStore> store;
    std::unique_ptr<ChannelTableModel> model;
    FakePort port;
    RecordingPresenter messages;
    TransferController* controller = nullptr;

    Window() {
        squelch->setEditable(true);
        squelch->setEditText(QStringLiteral("3"));
        QString error;
        store = ChannelStore::open(QStringLiteral(":memory:"), &error);
        model = std::make_unique<ChannelTableModel>(*store, [](const UserMessage&) {});
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        LinkTiming timing;  // the test fires every tick itself
        timing.writeTick = timing.eraserTick = timing.readyTick = timing.readArm = 1h;
        timing.readChannelTimeout = 200ms;
        timing.drainPoll = 5ms;
        TransferWidgets widgets{read,     write,  open,     systemMenu, exit,
                                helpMenu, status, progress, squelch};
        controller =
            new TransferController(widgets, *store, *model, port, messages, timing, &widget);
    }

    // 读信道, 写信道, 打开, 系统, 退出, 帮助
    QList<bool> menus() const {
        return {read->isEnabled(), write->isEnabled(),
                open->isEnabled(), systemMenu->menuAction()->isEnabled(),
                exit->isEnabled(), helpMenu->menuAction()->isEnabled()};
    }
    bool running(const char* timer) const {
        auto* t = widget.findChild<QTimer*>(QLatin1String(timer));
        return t != nullptr && t->isActive();
    }
    void radioAnswersRead(const QByteArray& answer) {
        port.onSend = [this, answer](const QByteArray& text) {
            if (text == "5") {
                QTimer::singleShot(5, &port, [this, answer] { port.deliver(answer); });
            }
        };
    }
    void finishWrite() {
        while (fireTimer(&widget, "Timer1")) {
        }
    }
};

const QList<bool> kAllOn{true, true, true, true, true, true};

}  // namespace

class TransferControllerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeRunsWithItsMenusOff() {
        Window w;
        w.controller->startReadyWatch();
        w.store->setField(0, 0, QStringLiteral("9"));
        w.squelch->setEditText(QStringLiteral("5"));

        w.controller->startWrite();
        QCOMPARE(w.menus(), (QList<bool>{false, true, true, false, false, false}));
        QCOMPARE(w.status->text(), QStringLiteral("正在传送数据,,,,,,,"));
        QCOMPARE(*w.store->record(0)[0], QStringLiteral("1"));
        QVERIFY(!w.running("Timer3"));  // no polls between the frames

        w.controller->startWrite();  // a second click while it runs is ignored
        for (int tick = 1; tick <= 8; ++tick) {
            fireTimer(&w.widget, "Timer1");
        }
        QCOMPARE(w.progress->value(), 42);
        w.finishWrite();

        const QByteArray sent = w.port.sentText();
        QCOMPARE(sent.size(), 321);
        QVERIFY(sent.startsWith("A05"));  // frame 1 carries the squelch level
        QCOMPARE(w.menus(), kAllOn);
        QCOMPARE(w.status->text(), QStringLiteral("数据传送完毕..."));
        QCOMPARE(w.progress->value(), 0);
        QVERIFY(w.running("Timer3"));
        for (int tick = 1; tick <= 11; ++tick) {
            QVERIFY(fireTimer(&w.widget, "Timer2"));
        }
        QCOMPARE(w.status->text(), QString());
        QVERIFY(w.messages.shown.empty());
    }

    void readFillsTheTableAndSquelchInOneGo() {
        Window w;
        w.radioAnswersRead(radioMemory());
        const ChannelTable before = w.store->records();
        bool tableCompleteWhenSquelchChanged = false;
        QObject::connect(w.squelch, &QComboBox::editTextChanged, [&] {
            tableCompleteWhenSquelchChanged =
                w.store->record(15)[qm3270::kReceive] == QStringLiteral("145.61250");
        });

        w.controller->startRead();
        QCOMPARE(w.menus(), (QList<bool>{true, false, false, false, false, false}));
        QVERIFY(w.model->isLocked());
        QVERIFY(fireTimer(&w.widget, "Timer4"));
        TRY_VERIFY(!w.controller->isBusy());

        QCOMPARE(w.squelch->currentText(), QStringLiteral("7"));
        QVERIFY(tableCompleteWhenSquelchChanged);
        const qm3270::ChannelRecord row1 = w.store->record(0);
        QCOMPARE(row1[0], before[0][0]);  // channel numbers are the user's
        QCOMPARE(*row1[1], QStringLiteral("150.00000"));
        QCOMPARE(*row1[2], QStringLiteral("150.00000"));
        QCOMPARE(*row1[3], QStringLiteral("on"));
        QCOMPARE(*w.store->record(1)[1], QStringLiteral("136.01250"));
        QCOMPARE(*w.store->record(1)[2], QStringLiteral("174.00000"));
        QCOMPARE(*w.store->record(15)[3], QStringLiteral("off"));

        QCOMPARE(w.status->text(), QStringLiteral("读出信道数据完毕！"));
        QCOMPARE(w.progress->value(), 0);
        QCOMPARE(w.menus(), kAllOn);
        QVERIFY(!w.model->isLocked());
        QVERIFY(w.running("Timer3"));
        QVERIFY(w.running("Timer2"));
        QVERIFY(w.messages.shown.empty());
    }

    void failures_data() {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");

        const QString readError = QStringLiteral("读数错误！！");
        QTest::newRow("write, cable pulled")
            << true << QStringLiteral("pull") << QStringLiteral("串行端口出错，数据传送中断！");
        QTest::newRow("read, radio silent") << false << QStringLiteral("silent") << readError;
        QTest::newRow("read, garbage") << false << QStringLiteral("garbage") << readError;
        QTest::newRow("read, cable pulled") << false << QStringLiteral("pull") << readError;
        // OK in the port dialog ends a transfer as a lost line would.
        QTest::newRow("write, port changed")
            << true << QStringLiteral("port") << QStringLiteral("串行端口出错，数据传送中断！");
        QTest::newRow("read, port changed") << false << QStringLiteral("port") << readError;
    }

    void failures() {
        QFETCH(bool, writing);
        QFETCH(QString, fault);
        QFETCH(QString, message);

        Window w;
        if (fault == QLatin1String("garbage")) {
            QByteArray answer = radioMemory();
            answer[200] = '?';
            w.radioAnswersRead(answer);
        } else if (fault == QLatin1String("pull") || fault == QLatin1String("port")) {
            w.radioAnswersRead(radioMemory().left(70));
        }
        const auto cut = [&] {
            if (fault == QLatin1String("port")) {
                w.controller->stopTransfers();
            } else {
                w.port.failLine();
            }
        };
        const ChannelTable before = w.store->records();
        w.status->setText(QStringLiteral("对讲机就绪..."));

        if (writing) {
            w.controller->startWrite();
            fireTimer(&w.widget, "Timer1");
            fireTimer(&w.widget, "Timer1");
            cut();
            QCOMPARE(w.port.sentText().size(), 1 + 2 * 20);
            QVERIFY(!fireTimer(&w.widget, "Timer1"));
        } else {
            w.controller->startRead();
            QVERIFY(fireTimer(&w.widget, "Timer4"));
            if (fault == QLatin1String("pull") || fault == QLatin1String("port")) {
                TRY_COMPARE(w.progress->value(), 12);  // three channels in
                cut();
                w.port.deliver(radioMemory().mid(70));  // nothing takes the rest
            }
            TRY_VERIFY_WITH_TIMEOUT(!w.controller->isBusy(), 2000);
        }

        QCOMPARE(w.messages.texts(), QStringList{message});
        QCOMPARE(w.messages.shown.front().message.title, QStringLiteral("错误警告 "));
        QCOMPARE(w.messages.shown.front().parent, &w.widget);
        QCOMPARE(w.menus(), kAllOn);
        QCOMPARE(w.status->text(), QString());
        QCOMPARE(w.progress->value(), 0);
        QVERIFY(w.running("Timer3"));
        QVERIFY(!w.running("Timer2"));
        QVERIFY(!w.model->isLocked());
        if (!writing) {
            QCOMPARE(w.store->records(), before);
            QCOMPARE(w.squelch->currentText(), QStringLiteral("3"));
        }
    }

    void refusals_data() {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");

        const QString notOpen = QStringLiteral("串行端口未打开，请在“系统设置”中选择端口。");
        QTest::newRow("write, port closed")
            << true << false << notOpen << QStringLiteral("系统信息");
        QTest::newRow("read, port closed")
            << false << false << notOpen << QStringLiteral("系统信息");
        QTest::newRow("write, row 5 addresses no channel")
            << true << true << QStringLiteral("第 5 信道数据无效，未写入对讲机！")
            << QStringLiteral("错误警告 ");
    }

    void refusals() {
        QFETCH(bool, writing);
        QFETCH(bool, portOpen);
        QFETCH(QString, message);
        QFETCH(QString, title);

        Window w;
        if (!portOpen) {
            w.port.close();
        }
        w.store->setField(0, 0, QStringLiteral("8"));
        w.store->setField(4, 0, QStringLiteral("abc"));
        w.status->setText(QStringLiteral(" "));

        if (writing) {
            w.controller->startWrite();
        } else {
            w.controller->startRead();
        }

        QCOMPARE(w.messages.texts(), QStringList{message});
        QCOMPARE(w.messages.shown.front().message.title, title);
        QVERIFY(!w.controller->isBusy());
        QVERIFY(w.port.sent().isEmpty());
        QCOMPARE(*w.store->record(0)[0], QStringLiteral("8"));  // a refused write changes nothing
        QCOMPARE(w.menus(), kAllOn);
        QCOMPARE(w.status->text(), QStringLiteral(" "));
    }

    void readyRadioIsShown() {
        Window w;
        w.port.onSend = [&w](const QByteArray& text) {
            if (text == "C") {
                w.port.queueSilently("C");
            }
        };
        w.controller->startReadyWatch();
        QVERIFY(fireTimer(&w.widget, "Timer3"));
        QCOMPARE(w.status->text(), QStringLiteral(" "));
        QVERIFY(fireTimer(&w.widget, "Timer3"));
        QCOMPARE(w.status->text(), QStringLiteral("对讲机就绪..."));
    }
};

QTEST_MAIN(TransferControllerTest)
#include "tst_transfer_controller.moc"

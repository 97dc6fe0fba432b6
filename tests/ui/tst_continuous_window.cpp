// 连续写入 and 操作记录 as the window shows them, with a radio on a fake line.

#include "channels/channel_store.h"
#include "fake_port.h"
#include "sim/radio_engine.h"
#include "try_wait.h"
#include "ui/main_window.h"
#include "ui/status_bar.h"
#include "ui_doubles.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace qm3270;
using namespace qm3270::test;
using namespace std::chrono_literals;

namespace {

struct Harness {
    Harness() {
        QString error;
        store = ChannelStore::open(QStringLiteral(":memory:"), &error);
        for (int row = 0; row < 16; ++row) {
            store->setField(row, kReceive, QStringLiteral("150.00000"));
            store->setField(row, kTransmit, QStringLiteral("150.00000"));
        }
        LinkTiming timing;
        timing.writeTick = timing.readyTick = timing.readArm = timing.eraserTick = 5ms;
        timing.drainPoll = 5ms;
        timing.readChannelTimeout = 200ms;
        MainWindowServices services{.store = *store,
                                    .port = port,
                                    .messages = messages,
                                    .files = files,
                                    .deviceForNumber = [](int) { return QStringLiteral("COM1"); },
                                    .timing = timing,
                                    .today = QDate(2026, 12, 8),
                                    .explicitPort = std::nullopt};
        window = std::make_unique<MainWindow>(services);
        window->startUp();
        port.onSend = [this](const QByteArray& text) {
            const QByteArray answer = radio.receive(text);
            if (!answer.isEmpty()) {
                QTimer::singleShot(1, &port, [this, answer] { port.deliver(answer); });
            }
        };
    }
    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QString::fromUtf8(name));
    }
    QString counts() const { return window->findChild<StatusBar*>()->rightText(); }

    std::unique_ptr<ChannelStore> store;
    RecordingPresenter messages;
    ScriptedFileChooser files;
    FakePort port;
    RadioEngine radio;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

class ContinuousWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The entries follow 写后校验; the mode asks first, and a table the write
    // refuses keeps it off.
    void askedAndRefused() {
        Harness h;
        const QList<QAction*> entries =
            h.window->findChild<QMenu*>(QStringLiteral("系统"))->actions();
        QCOMPARE(
            entries.mid(entries.size() - 3),
            (QList<QAction*>{h.action("写后校验"), h.action("连续写入"), h.action("操作记录")}));
        QCOMPARE(h.action("连续写入")->text(), QStringLiteral("连续写入(&L)"));
        QCOMPARE(h.action("操作记录")->text(), QStringLiteral("操作记录(&G)..."));
        QVERIFY(!h.action("连续写入")->isChecked());

        h.messages.answer = false;
        h.action("连续写入")->trigger();
        QVERIFY(!h.action("连续写入")->isChecked());
        QCOMPARE(
            h.messages.asked.constLast(),
            (UserMessage{QStringLiteral("连续写入：每台应答的对讲机都将自动写入当前信道表并校验；"
                                        "写入前先读出对讲机原有的数据并备份。是否开始？"),
                         QStringLiteral("系统信息"), UserMessage::Icon::Information}));
        h.messages.answer = true;
        h.store->setField(2, kReceive, QStringLiteral("600"));
        h.action("连续写入")->trigger();
        QVERIFY(!h.action("连续写入")->isChecked());
        QCOMPARE(h.messages.texts().constLast(),
                 QStringLiteral("第 3 信道数据无效，未写入对讲机！"));
        // On, then off while no radio answers: the count goes with the mode.
        h.store->setField(2, kReceive, QStringLiteral("150.00000"));
        h.action("连续写入")->trigger();
        QCOMPARE(h.counts(), QStringLiteral("连续写入：成功 0 台，失败 0 台"));
        h.action("连续写入")->trigger();
        QVERIFY(!h.action("连续写入")->isChecked() && h.counts().isEmpty());
    }

    // A radio served: the count, the status line, the log window; a close while
    // it is written waits for its verify.
    void radioServedAndCloseWaits() {
        Harness h;
        h.action("写后校验")->setChecked(true);
        h.action("连续写入")->trigger();
        QVERIFY(h.action("连续写入")->isChecked());
        QCOMPARE(h.counts(), QStringLiteral("连续写入：成功 0 台，失败 0 台"));
        TRY_COMPARE(h.counts(), QStringLiteral("连续写入：成功 1 台，失败 0 台"));
        QCOMPARE(h.window->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("请换下一台对讲机..."));
        h.action("操作记录")->trigger();
        auto* table = h.window->findChild<QTableView*>(QStringLiteral("记录表"));
        QVERIFY(table != nullptr && table->isVisible());
        const QAbstractItemModel* log = table->model();
        QCOMPARE(log->headerData(2, Qt::Horizontal).toString(), QStringLiteral("结果"));
        QCOMPARE(log->index(log->rowCount() - 1, 2).data().toString(),
                 QStringLiteral("第 1 台：写入并校验正确"));

        // The radio goes; the next one is closed on while it is written.
        RadioEngine::Faults off;
        off.off = true;
        h.radio.setFaults(off);
        QTest::qWait(1200);
        h.radio = RadioEngine();
        bool closed = false;
        QObject::connect(h.window.get(), &MainWindow::closed, [&closed] { closed = true; });
        TRY_VERIFY(h.radio.writeInProgress());
        h.window->close();
        QVERIFY(!closed);
        TRY_VERIFY(closed);
        QCOMPARE(log->index(log->rowCount() - 1, 2).data().toString(),
                 QStringLiteral("第 2 台：写入并校验正确"));
    }
};

QTEST_MAIN(ContinuousWindowTest)
#include "tst_continuous_window.moc"

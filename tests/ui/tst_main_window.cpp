#include "channels/channel_store.h"
#include "fake_port.h"
#include "file/channel_file.h"
#include "link/frame_codec.h"
#include "test_files.h"
#include "timer_firing.h"
#include "ui/channel_grid.h"
#include "ui/main_window.h"
#include "ui/quit_when_all_closed.h"
#include "ui/store_opening.h"
#include "ui_doubles.h"
#include "window_harness.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace qm3270;
using namespace qm3270::test;

namespace {

using Harness = WindowHarness;

// Another program with the channel database open: while it holds its
// transaction, nobody else may write the file.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        QVERIFY(db.open());
    }
    ~OtherProgram() {
        QSqlDatabase::database(kName).close();
        QSqlDatabase::removeDatabase(kName);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    void lock() { QVERIFY(QSqlQuery(QSqlDatabase::database(kName)).exec("BEGIN EXCLUSIVE")); }
    void release() { QVERIFY(QSqlQuery(QSqlDatabase::database(kName)).exec("ROLLBACK")); }
    QString receive(int row) {
        QSqlQuery query(QSqlDatabase::database(kName));
        query.exec(QStringLiteral(R"(SELECT "接收频率" FROM "信道表" ORDER BY rowid)"));
        for (int skipped = 0; skipped < row; ++skipped) {
            query.next();
        }
        return query.next() ? query.value(0).toString() : QStringLiteral("<none>");
    }

private:
    static inline const QString kName = QStringLiteral("other-program");
};

// 16 channels as the radio sends them: squelch 7, 150 MHz with beat on, then
// 145.6125 MHz with beat off.
const QByteArray kRadioAnswer =
    "07010000861200000015" + QByteArray("04005012421250125614").repeated(15);

UserMessage refusedMessage(const QString& db) {
    return {QStringLiteral("信道数据无法写入数据库：") + db, QStringLiteral("错误警告 "),
            UserMessage::Icon::Information};
}

// Every tick comes when the test fires it.
LinkTiming manualTiming() {
    using namespace std::chrono_literals;
    LinkTiming timing;
    timing.writeTick = timing.eraserTick = timing.readyTick = timing.readArm = 1h;
    timing.readChannelTimeout = 1h;
    return timing;
}

// A radio's answer to "5": squelch 7 and two programmed channels, then 14 alike.
QByteArray radioAnswer() {
    return "07010000861200000015"
           "01015012461100004017" +
           QByteArray("04005012421250125614").repeated(14);
}

// Starts a write (and sends `frames` of it) or a read (and receives 3 channels of it).
void startTransfer(Harness& h, bool writing, int frames = 5) {
    h.trigger(writing ? "写信道" : "读信道");
    if (writing) {
        for (int k = 0; k < frames; ++k) {
            QVERIFY(h.fire("Timer1"));
        }
    } else {
        QVERIFY(h.fire("Timer4"));
        h.port.deliver(radioAnswer().left(60));
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
    void windowAfterStartUp();
    void dateLabel_data();
    void dateLabel();
    void menus_data();
    void menus();
    void gridEdit_data();
    void gridEdit();
    void squelchTyping_data();
    void squelchTyping();
    void beatPickWritesTheSelectedRowOnly();
    void saveThenOpenRestoresTheTable();
    void openHandWrittenFile();
    void openRefusesShortFile();
    void openReportsRefusingDatabase();
    void lockedDatabaseKeepsTheEdit();
    void lockedDatabaseRefusesReadAndOpen_data();
    void lockedDatabaseRefusesReadAndOpen();
    void lockedDatabaseAtExitKeepsTheTableAsFile();
    void typedEditSurvivesExit_data();
    void typedEditSurvivesExit();
    void writeSendsWhatIsStillInTheEditor();
    void unusableDatabaseIsReported();
    void smallWindowsOutliveTheMainWindow();
    void portChangeEndsTheTransferFirst_data();
    void portChangeEndsTheTransferFirst();
    void closeDuringATransfer_data();
    void closeDuringATransfer();
    void statusBarShowsThePortAndTheLastOutcome();
};

void MainWindowTest::controlsAtTheirPlaces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("family");
    // clang-format off
    QTest::newRow("Label1") << "信道设置系统" << QRect(280, 48, 249, 57) << "楷体_GB2312";
    QTest::newRow("Label3") << "(QM_3270)" << QRect(344, 96, 113, 25) << "宋体";
    QTest::newRow("Label2") << " " << QRect(536, 48, 241, 25) << "楷体_GB2312";
    QTest::newRow("Label4") << "静噪级别：" << QRect(160, 120, 113, 33) << "楷体_GB2312";
    QTest::newRow("Label5") << "拍频:" << QRect(464, 120, 57, 25) << "楷体_GB2312";
    QTest::newRow("Label8") << "2026年12月7日" << QRect(16, 24, 113, 17) << "楷体_GB2312";
    QTest::newRow("Frame2") << "日期" << QRect(40, 40, 145, 49) << "楷体_GB2312";
    QTest::newRow("Combo1") << "3" << QRect(256, 120, 57, 24) << "宋体";
    QTest::newRow("Combo2") << " " << QRect(512, 120, 65, 22) << "宋体";
    QTest::newRow("DataGrid1") << "" << QRect(144, 152, 457, 353) << "楷体_GB2312";
    // clang-format on
}

void MainWindowTest::controlsAtTheirPlaces() {
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(QString, family);
    Harness h;
    auto* widget = h.window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->font().family(), family);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QCOMPARE(frame->title(), text);
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
        QCOMPARE(box->currentText(), text);
    }
    // Resizing the window moves nothing.
    h.window->resize(1000, 700);
    QCOMPARE(widget->geometry(), geometry);
}

void MainWindowTest::windowAfterStartUp() {
    Harness h;
    QCOMPARE(h.window->objectName(), QStringLiteral("启动窗体"));
    QCOMPARE(h.window->windowTitle(), QStringLiteral("QM3270"));
    QCOMPARE(h.window->centralWidget()->size(), QSize(792, 540));

    QStringList squelchItems;
    for (int i = 0; i < h.box("Combo1")->count(); ++i) {
        squelchItems << h.box("Combo1")->itemText(i);
    }
    QCOMPARE(squelchItems,
             QStringList({"  0", "  1", "  2", "  3", "  4", "  5", "  6", "  7", "  8", "  9"}));
    QCOMPARE(h.box("Combo2")->count(), 3);
    QCOMPARE(h.box("Combo2")->itemText(2), QStringLiteral("  "));
    QCOMPARE(h.box("Combo1")->font().pointSizeF(), 12.0);
    QCOMPARE(h.box("Combo2")->font().pointSizeF(), 10.5);

    auto* bar = h.find<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(h.grid()->model()->rowCount(), 16);
    QCOMPARE(h.grid()->currentIndex().row(), 0);
    QCOMPARE(h.store->currentRow(), 0);
    QCOMPARE(h.port.device(), QStringLiteral("COM1"));
    QVERIFY(h.messages.shown.isEmpty());

    // Only the ready watch runs once the window is up.
    QStringList running;
    for (auto* timer : h.window->findChildren<QTimer*>()) {
        if (timer->isActive() && timer->objectName().startsWith(QStringLiteral("Timer"))) {
            running << timer->objectName();
        }
    }
    QCOMPARE(running, QStringList{QStringLiteral("Timer3")});
}

void MainWindowTest::dateLabel_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no leading zeros") << QDate(2027, 2, 1) << "2027年2月1日";
    QTest::newRow("two digits") << QDate(2026, 12, 17) << "2026年12月17日";
}

void MainWindowTest::dateLabel() {
    QFETCH(QDate, today);
    QFETCH(QString, shown);
    Harness h(QStringLiteral(":memory:"), {}, today);
    QCOMPARE(h.find<QLabel>("Label8")->text(), shown);
}

void MainWindowTest::menus_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("owner");  // the menu it sits in; empty: the bar itself
    // clang-format off
    QTest::newRow("文件") << "       文件(&F)" << "";
    QTest::newRow("打开") << "打开文件(&O)" << "文件";
    QTest::newRow("保存") << "保存文件(&V)" << "文件";
    QTest::newRow("读信道") << "        读信道数据(&R)" << "";
    QTest::newRow("写信道") << "        写信道数据(&W)" << "";
    QTest::newRow("系统") << "        系统设置(&S)" << "";
    QTest::newRow("端口") << "选择端口(&P)" << "系统";
    QTest::newRow("波特率") << "波特率(&B)" << "系统";
    QTest::newRow("退出") << "       退出系统(&E)" << "";
    QTest::newRow("帮助") << "       帮助(&H)" << "";
    QTest::newRow("操作") << "操作说明(&I)" << "帮助";
    QTest::newRow("关于") << "关于本软件(&A)" << "帮助";
    // clang-format on
}

void MainWindowTest::menus() {
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    QFETCH(QString, caption);
    QFETCH(QString, owner);
    Harness h;
    auto* action = h.window->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QVERIFY(action->isEnabled());
    QVERIFY(action->isVisible());
    const QList<QAction*> siblings = owner.isEmpty()
                                         ? h.window->menuBar()->actions()
                                         : h.window->findChild<QMenu*>(owner)->actions();
    QVERIFY(siblings.contains(action));
}

void MainWindowTest::gridEdit_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("receive");
    QTest::addColumn<QString>("transmit");
    QTest::addColumn<QStringList>("messages");
    // Row 3 holds 150.00000 / 150.00000 before the edit.
    // clang-format off
    QTest::newRow("receive copied to transmit") << 1 << "145" << "145.00000" << "145.00000" << QStringList();
    QTest::newRow("receive out of range") << 1 << "600" << "" << "150.00000" << QStringList{"数据超出范围 ！！"};
    QTest::newRow("transmit snapped") << 2 << "145.013" << "150.00000" << "145.01000" << QStringList();
    // clang-format on
}

void MainWindowTest::gridEdit() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    Harness h;
    h.typeIntoCell(2, 1, QStringLiteral("150"));
    h.typeIntoCell(2, column, typed);
    QTEST(h.field(2, kReceive), "receive");
    QTEST(h.field(2, kTransmit), "transmit");
    QTEST(h.messages.texts(), "messages");
    QCOMPARE(h.grid()->model()->index(2, 2).data().toString(), h.field(2, kTransmit));
}

void MainWindowTest::squelchTyping_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("messageCount");
    // clang-format off
    QTest::newRow("1 then 2") << "12" << "3" << 1;
    QTest::newRow("negative") << "-1" << "-1" << 0;
    QTest::newRow("no number") << "x" << "x" << 0;
    // clang-format on
}

void MainWindowTest::squelchTyping() {
    QFETCH(QString, keys);
    Harness h;
    QComboBox* squelch = h.box("Combo1");
    squelch->lineEdit()->clear();
    QTest::keyClicks(squelch->lineEdit(), keys);
    QTEST(squelch->currentText(), "text");
    QTEST(static_cast<int>(h.messages.shown.size()), "messageCount");
    if (!h.messages.shown.isEmpty()) {
        QCOMPARE(
            h.messages.shown.first().message,
            (UserMessage{"静燥级别不可大于 9 ！！！", "错误警告", UserMessage::Icon::Information}));
    }
}

void MainWindowTest::beatPickWritesTheSelectedRowOnly() {
    Harness h;
    QComboBox* beat = h.box("Combo2");
    h.selectRow(4);
    QTest::keyClicks(beat->lineEdit(), QStringLiteral("on"));  // typing is no pick
    QCOMPARE(h.field(4, kBeat), QString());

    beat->setCurrentIndex(0);
    QTest::keyClick(beat, Qt::Key_Down);  // picks "on"
    QCOMPARE(beat->currentText(), QStringLiteral("on"));
    h.selectRow(5);
    QCOMPARE(beat->currentText(), QStringLiteral("on"));
    for (int row = 0; row < kChannelCount; ++row) {
        QCOMPARE(h.field(row, kBeat), row == 4 ? QStringLiteral("on") : QString());
    }
}

void MainWindowTest::saveThenOpenRestoresTheTable() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.doc"));
    Harness h;
    h.typeIntoCell(0, 1, QStringLiteral("145.0125"));
    h.typeIntoCell(0, 3, QStringLiteral("off"));
    h.typeIntoCell(1, 1, QStringLiteral("438.5"));
    h.typeIntoCell(1, 2, QStringLiteral("430.5"));
    h.typeIntoCell(1, 3, QStringLiteral("on"), false);  // still in the editor when saving
    h.box("Combo1")->setCurrentIndex(3);                // "  3"

    h.files.answers = {path};
    h.trigger("保存");
    QCOMPARE(h.grid()->currentIndex().row(), 0);
    QCOMPARE(fileBytes(path), QByteArray("  3,145.01250,145.01250,off,438.50000,430.50000,on,") +
                                  QByteArray(",,,").repeated(14));

    h.typeIntoCell(0, 1, QStringLiteral("300"));
    h.typeIntoCell(5, 3, QStringLiteral("on"));
    h.files.answers = {QString()};  // cancelled: nothing changes
    h.trigger("打开");
    QCOMPARE(h.field(0, kReceive), QStringLiteral("300.00000"));

    h.files.answers = {path};
    h.trigger("打开");
    QCOMPARE(h.files.startedWith, QStringList({QString(), path, path}));
    QCOMPARE(h.field(0, kReceive), QStringLiteral("145.01250"));
    QCOMPARE(h.field(0, kTransmit), QStringLiteral("145.01250"));
    QCOMPARE(h.field(1, kTransmit), QStringLiteral("430.50000"));
    QCOMPARE(h.field(1, kBeat), QStringLiteral("on"));
    QCOMPARE(h.field(5, kBeat), QString());
    QCOMPARE(h.box("Combo1")->currentText(), QStringLiteral("3"));
    QVERIFY(h.messages.shown.isEmpty());
}

void MainWindowTest::openHandWrittenFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hand.doc"));
    QVERIFY(writeBytes(path, "12,\n145.5,\n0145.5,\non,\n" + QByteArray(",\n").repeated(45)));
    Harness h;
    h.files.answers = {path};
    h.trigger("打开");
    QCOMPARE(h.field(0, kReceive), QStringLiteral("145.50000"));
    QCOMPARE(h.field(0, kTransmit), QStringLiteral("145.50000"));
    QCOMPARE(h.field(0, kBeat), QStringLiteral("on"));
    // The level from the file is judged by the squelch box's own rule.
    QCOMPARE(h.messages.texts(), QStringList{"静燥级别不可大于 9 ！！！"});
    QCOMPARE(h.box("Combo1")->currentText(), QStringLiteral("3"));
}

void MainWindowTest::openRefusesShortFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("short.doc"));
    QVERIFY(writeBytes(path, "5,145.5,145.5,on,"));
    Harness h;
    h.typeIntoCell(0, 1, QStringLiteral("440"));
    h.files.answers = {path};
    h.trigger("打开");
    QCOMPARE(h.messages.texts(), QStringList{"文件格式错误，未读入数据！"});
    QCOMPARE(h.field(0, kReceive), QStringLiteral("440.00000"));
    QCOMPARE(h.field(0, kBeat), QString());
    QCOMPARE(h.box("Combo1")->currentText(), QStringLiteral("3"));
}

void MainWindowTest::openReportsRefusingDatabase() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("refusing.db"));
    {
        QString error;
        QVERIFY(ChannelStore::open(db, &error));
        auto sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refuse"));
        sql.setDatabaseName(db);
        QVERIFY(sql.open());
        QVERIFY(
            QSqlQuery(sql).exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"信道表\" "
                                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
        sql.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refuse"));
    const QString path = dir.filePath(QStringLiteral("good.doc"));
    QVERIFY(writeBytes(path, "7,145.5,145.5,on," + QByteArray(",,,").repeated(15)));

    Harness h(db);
    h.files.answers = {path};
    h.trigger("打开");
    QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("信道数据无法写入数据库：") + db});
    QVERIFY(h.messages.shown.first().message.detail.contains(QStringLiteral("disk full")));
    QCOMPARE(h.field(0, kReceive), QString());
    QCOMPARE(h.box("Combo1")->currentText(), QStringLiteral("3"));
}

void MainWindowTest::lockedDatabaseKeepsTheEdit() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("qm3270.db"));
    Harness h(db);
    OtherProgram other(db);
    other.lock();
    h.typeIntoCell(2, 1, QStringLiteral("145"));
    QElapsedTimer clock;
    clock.start();
    h.selectRow(5);  // the row is left: its edit is due
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    h.typeIntoCell(6, 1, QStringLiteral("150"));
    h.selectRow(7);

    QCOMPARE(h.messages.shown.size(), 1);  // once, not at every row left
    UserMessage told = h.messages.shown.first().message;
    QVERIFY(!told.detail.isEmpty());
    told.detail.clear();
    QCOMPARE(told, refusedMessage(db));
    QCOMPARE(h.grid()->model()->index(2, 1).data().toString(), QStringLiteral("145.00000"));
    QCOMPARE(h.grid()->model()->index(6, 2).data().toString(), QStringLiteral("150.00000"));

    other.release();
    h.selectRow(8);
    QCOMPARE(other.receive(2), QStringLiteral("145.00000"));
    QCOMPARE(other.receive(6), QStringLiteral("150.00000"));
    QCOMPARE(h.messages.shown.size(), 1);
}

void MainWindowTest::lockedDatabaseRefusesReadAndOpen_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("a read ends") << QStringLiteral("读信道");
    QTest::newRow("a file is opened") << QStringLiteral("打开");
}

void MainWindowTest::lockedDatabaseRefusesReadAndOpen() {
    QFETCH(QString, action);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("qm3270.db"));
    const QString file = dir.filePath(QStringLiteral("good.doc"));
    QVERIFY(writeBytes(file, "7,145.5,145.5,on," + QByteArray(",,,").repeated(15)));
    Harness h(db);
    h.port.onSend = [&h](const QByteArray& text) {
        if (text == "5") {
            QTimer::singleShot(5, &h.port, [&h] { h.port.deliver(kRadioAnswer); });
        }
    };
    h.files.answers = {file};
    h.typeIntoCell(0, 1, QStringLiteral("440"));
    const ChannelTable before = h.store->records();
    OtherProgram other(db);
    other.lock();

    h.trigger(action.toUtf8().constData());
    QTRY_COMPARE(h.messages.shown.size(), 2);
    QTRY_VERIFY(h.find<QAction>("退出")->isEnabled());  // the read has ended

    // The edit of row 1 is refused as the pass begins, then the new table.
    QCOMPARE(h.messages.texts(), QStringList({refusedMessage(db).text, refusedMessage(db).text}));
    QCOMPARE(h.store->records(), before);
    QCOMPARE(h.grid()->model()->index(1, 1).data().toString(), QString());
    QCOMPARE(h.box("Combo1")->currentText(), QStringLiteral("3"));
    QVERIFY(h.find<QLabel>("Label2")->text() != QStringLiteral("读出信道数据完毕！"));
}

void MainWindowTest::lockedDatabaseAtExitKeepsTheTableAsFile() {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("qm3270.db"));
    Harness h(db);
    OtherProgram other(db);
    h.typeIntoCell(3, 1, QStringLiteral("438.5"));
    h.typeIntoCell(3, 3, QStringLiteral("on"));
    h.box("Combo1")->setCurrentIndex(6);
    other.lock();
    h.typeIntoCell(9, 1, QStringLiteral("145.0125"), false);  // still in the editor
    const QString squelch = h.box("Combo1")->currentText();
    QCOMPARE(squelch, QStringLiteral("  6"));

    h.trigger("退出");
    const QStringList backups =
        QDir(dir.filePath(QStringLiteral("backups"))).entryList({QStringLiteral("*-unsaved.doc")});
    QCOMPARE(backups.size(), 1);
    const QString backup = dir.filePath(QStringLiteral("backups/") + backups.first());
    // Row 4 was refused when the editor moved to row 10; the exit says where all went.
    QCOMPARE(h.messages.texts(),
             QStringList({refusedMessage(db).text,
                          QStringLiteral("信道数据未能写入数据库，已另存为：") + backup}));
    QCOMPARE(h.messages.shown.last().message.title, QStringLiteral("错误警告 "));
    QVERIFY(!h.messages.shown.last().message.detail.isEmpty());

    auto opened = readChannelFile(backup);
    QVERIFY(std::holds_alternative<ChannelFile>(opened));
    const ChannelFile& kept = std::get<ChannelFile>(opened);
    QCOMPARE(kept.squelch, squelch.trimmed());  // as 打开 reads any saved "  6"
    for (int row = 0; row < kChannelCount; ++row) {
        for (const int column : {kReceive, kTransmit, kBeat}) {
            QCOMPARE(kept.rows.at(std::size_t(row))[column], h.store->record(row)[column]);
        }
    }
    QCOMPARE(*kept.rows.at(9)[kReceive], QStringLiteral("145.01250"));
    QCOMPARE(*kept.rows.at(3)[kBeat], QStringLiteral("on"));
}

void MainWindowTest::typedEditSurvivesExit_data() {
    QTest::addColumn<bool>("enterPressed");
    QTest::newRow("edit accepted") << true;
    QTest::newRow("still in the editor") << false;
}

void MainWindowTest::typedEditSurvivesExit() {
    QFETCH(bool, enterPressed);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("qm3270.db"));
    {
        Harness h(db);
        h.typeIntoCell(2, 1, QStringLiteral("145"), enterPressed);
        h.trigger("退出");
        QVERIFY(!h.window->isVisible());
        QVERIFY(!h.port.isOpen());
    }
    QString error;
    auto reopened = ChannelStore::open(db, &error);
    QVERIFY2(reopened, qPrintable(error));
    QCOMPARE(reopened->record(2)[kReceive], Field(QStringLiteral("145.00000")));
    QCOMPARE(reopened->record(2)[kTransmit], Field(QStringLiteral("145.00000")));
}

void MainWindowTest::writeSendsWhatIsStillInTheEditor() {
    Harness h;
    h.box("Combo1")->setCurrentIndex(7);
    h.typeIntoCell(0, 1, QStringLiteral("145"), false);
    h.trigger("写信道");
    QCOMPARE(h.field(0, kTransmit), QStringLiteral("145.00000"));
    const QString first = frame::encodeFrame(1, h.store->record(0), QStringLiteral("  7"));
    QTRY_VERIFY(h.port.sentText().contains("A" + first.toLatin1()));
}

void MainWindowTest::unusableDatabaseIsReported() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.db"));
    const QByteArray content("these are not channels\n");
    QVERIFY(writeBytes(path, content));
    RecordingPresenter messages;
    QVERIFY(!openStoreOrReport(path, messages));
    QCOMPARE(messages.messages(), (QList<UserMessage>{{"数据库文件无法打开：" + path, "错误警告 ",
                                                       UserMessage::Icon::Information}}));
    QCOMPARE(fileBytes(path), content);
}

void MainWindowTest::smallWindowsOutliveTheMainWindow() {
    int quits = 0;
    QuitWhenAllClosed watch([&quits] { ++quits; });
    qApp->installEventFilter(&watch);
    Harness h;
    h.trigger("关于");
    h.trigger("关于");  // brings the open one forward
    h.trigger("端口");
    QList<QWidget*> about;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("frmAbout") && window->isVisible()) {
            about << window;
        }
    }
    QCOMPARE(about.size(), 1);
    auto* portDialog = h.window->findChild<QDialog*>(QStringLiteral("Dialog"));
    QVERIFY(portDialog && portDialog->isVisible());

    h.trigger("退出");
    QTest::qWait(20);
    QVERIFY(about.first()->isVisible());
    QVERIFY(portDialog->isVisible());
    portDialog->close();
    QTest::qWait(20);
    QCOMPARE(quits, 0);
    about.first()->close();
    QTRY_COMPARE(quits, 1);
}

void MainWindowTest::portChangeEndsTheTransferFirst_data() {
    QTest::addColumn<bool>("writing");
    QTest::addColumn<QByteArray>("firstPortHeard");
    QTest::addColumn<QString>("message");
    QTest::newRow("write") << true << QByteArray("A") << "串行端口出错，数据传送中断！";
    QTest::newRow("read") << false << QByteArray("5") << "读数错误！！";
}

// The port dialog, opened before the transfer, moves the port to COM2 in the
// middle of it: the transfer ends on COM1 and nothing of it reaches COM2.
void MainWindowTest::portChangeEndsTheTransferFirst() {
    QFETCH(bool, writing);
    QFETCH(QByteArray, firstPortHeard);
    QFETCH(QString, message);
    Harness h(QStringLiteral(":memory:"), manualTiming());
    QMap<QString, QByteArray> heard;
    h.port.onSend = [&h, &heard](const QByteArray& text) { heard[h.port.device()] += text; };
    h.typeIntoCell(0, 1, QStringLiteral("440"));
    h.selectRow(1);
    const ChannelTable before = h.store->records();
    h.trigger("端口");
    auto* dialog = h.window->findChild<QDialog*>(QStringLiteral("Dialog"));
    QVERIFY(dialog);

    startTransfer(h, writing);
    dialog->findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    // Whatever of the transfer could still come: ticks, the rest of the answer.
    while (h.fire("Timer1")) {
    }
    h.port.deliver(radioAnswer().mid(60));

    QCOMPARE(h.port.device(), QStringLiteral("COM2"));
    QVERIFY(h.port.isOpen());
    QCOMPARE(heard.value(QStringLiteral("COM1")).left(1), firstPortHeard);
    QCOMPARE(heard.value(QStringLiteral("COM1")).size(), writing ? 1 + 5 * 20 : 1);
    QCOMPARE(heard.value(QStringLiteral("COM2")), QByteArray());
    QCOMPARE(h.messages.texts(), QStringList{message});
    QCOMPARE(h.find<QLabel>("Label2")->text(), QString());
    QCOMPARE(h.store->records(), before);
    QVERIFY(h.fire("Timer3"));  // the watch polls the new port
    QCOMPARE(heard.value(QStringLiteral("COM2")), QByteArray("C"));
}

void MainWindowTest::closeDuringATransfer_data() {
    QTest::addColumn<bool>("writing");
    QTest::newRow("write") << true;
    QTest::newRow("read") << false;
}

// A close during a write waits for the write to end: the radio gets the whole
// table. A read is abandoned and the window closes at once. Either way what
// was typed is kept, and no message comes.
void MainWindowTest::closeDuringATransfer() {
    QFETCH(bool, writing);
    Harness h(QStringLiteral(":memory:"), manualTiming());
    startTransfer(h, writing, 3);
    if (writing) {
        h.typeIntoCell(2, 1, QStringLiteral("145"));  // typed during the write, not yet stored
        QVERIFY(h.store->hasPendingEdit());
    }

    h.window->close();
    QCOMPARE(h.window->isVisible(), writing);
    QVERIFY(!h.store->hasPendingEdit());
    if (writing) {
        while (h.fire("Timer1")) {
        }
        QVERIFY(!h.window->isVisible());
        const QByteArray sent = h.port.sentText();
        QCOMPARE(sent.size(), 1 + 16 * 20);
        QVERIFY(sent.startsWith('A'));
    }
    QVERIFY(!h.port.isOpen());
    QCOMPARE(h.messages.texts(), QStringList());
}

// Below the designed area: the port, then how the last operation ended; a read
// that heard nothing names the port it listened on.
void MainWindowTest::statusBarShowsThePortAndTheLastOutcome() {
    QTemporaryDir dir;
    LinkTiming timing;
    timing.readArm = std::chrono::milliseconds(5);
    timing.readChannelTimeout = std::chrono::milliseconds(100);
    Harness h(QStringLiteral(":memory:"), timing);
    QCOMPARE(h.window->centralWidget()->size(), QSize(792, 540));
    auto* port = h.find<QLabel>("portStatus");
    auto* last = h.find<QLabel>("lastOutcome");
    QCOMPARE(port->text(), QStringLiteral("端口：COM1"));
    QCOMPARE(last->accessibleName(), QStringLiteral("上次操作"));
    QVERIFY(port->mapTo(h.window.get(), QPoint()).y() >=
            h.window->centralWidget()->geometry().bottom());

    h.trigger("读信道");
    QTRY_COMPARE(h.messages.shown.size(), 1);
    QCOMPARE(h.messages.shown.at(0).message.detail,
             QStringLiteral("端口 COM1 上没有对讲机应答。请检查对讲机已开机、电缆已插好，"
                            "或在“系统设置”→“选择端口”中选择其它端口。"));
    QVERIFY(QRegularExpression(QStringLiteral("^上次：\\d\\d:\\d\\d:\\d\\d 读数错误！！$"))
                .match(last->text())
                .hasMatch());

    const QString path = dir.filePath(QStringLiteral("table.doc"));
    h.files.answers = {path};
    h.trigger("保存");
    QVERIFY(last->text().endsWith(QStringLiteral(" 已保存 table.doc")));
    h.files.answers = {QString()};  // cancelled: the last outcome stays
    h.trigger("打开");
    QVERIFY(last->text().endsWith(QStringLiteral(" 已保存 table.doc")));
    h.files.answers = {dir.filePath(QStringLiteral("missing.doc"))};
    h.trigger("打开");
    QVERIFY(last->text().endsWith(h.messages.shown.last().message.text.section(u'\n', 0, 0)));

    h.port.failLine();
    QCOMPARE(port->text(), QStringLiteral("端口：COM1（已断开）"));
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"

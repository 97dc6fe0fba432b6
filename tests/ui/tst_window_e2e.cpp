// The window against a simulated radio on a pseudo-terminal: the real serial
// port, the real timer periods, the radio's faults, and the radio that
// `qm3270 --simulate` serves inside the program.

#include "app/program_end.h"
#include "channels/channel_store.h"
#include "file/channel_file.h"
#include "link/serial_port.h"
#include "link/write_data.h"
#include "radio_process.h"
#include "sim/built_in_radio.h"
#include "sim/pty_radio.h"
#include "test_files.h"
#include "try_wait.h"
#include "ui/main_window.h"
#include "ui_doubles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include <memory>
#include <variant>

using namespace qm3270;

namespace {

const QString kRadioProgram = QStringLiteral(QM3270_BINARY_DIR "/src/sim/qm3270-radio");
const QString kWindowProgram = QStringLiteral(QM3270_BINARY_DIR "/src/app/qm3270");

// Runs this test program as the window program instead (see runWindowChild).
constexpr char kWindowChild[] = "--window-child";

// Texts the user sees.
const QString kWriteDone = QStringLiteral("数据传送完毕...");
const QString kReadDone = QStringLiteral("读出信道数据完毕！");
const QString kReady = QStringLiteral("对讲机就绪...");
const QString kReadFailed = QStringLiteral("读数错误！！");
const QString kWriteInterrupted = QStringLiteral("串行端口出错，数据传送中断！");
const QString kErrorTitle = QStringLiteral("错误警告 ");

// A read of a write takes 100 ms arming and 320 characters at 120 a second.
constexpr int kTransferTimeoutMs = 6000;

// A table that a write and a read carry unchanged: beat "on" and "off",
// unprogrammed rows, a receive-only row, the edges of the admitted range.
ChannelTable writtenTable() {
    const char* const rows[kChannelCount][3] = {
        {"150.00000", "150.00000", "on"},
        {"136.01250", "174.00000", "on"},
        {"", "", ""},
        {"438.50000", "433.50000", "on"},
        {"145.61250", "145.61250", "off"},
        {"151.82500", "156.80000", "off"},
        {"145.50000", "", "off"},
        {"", "", ""},
        {"", "", ""},
        {"", "", ""},
        {"", "", ""},
        {"400.00000", "410.00000", "on"},
        {"", "", ""},
        {"", "", ""},
        {"130.00000", "500.00000", "on"},
        {"499.99375", "130.00000", "on"},
    };
    ChannelTable table;
    for (int row = 0; row < kChannelCount; ++row) {
        auto& record = table.at(static_cast<std::size_t>(row));
        record[kChannelNumber] = QString::number(row + 1);
        for (int column = kReceive; column <= kBeat; ++column) {
            record[column] = QString::fromLatin1(rows[row][column - 1]);
        }
    }
    return table;
}
const QString kWrittenSquelch = QStringLiteral("5");

ChannelTable emptyTable() {
    ChannelTable table;
    for (int row = 0; row < kChannelCount; ++row) {
        auto& record = table.at(static_cast<std::size_t>(row));
        record[kChannelNumber] = QString::number(row + 1);
        record[kReceive] = record[kTransmit] = record[kBeat] = QString();
    }
    return table;
}

QByteArray writeFor(const ChannelTable& table, const QString& squelch) {
    const auto built = buildWriteFrames(squelch, table);
    if (!std::holds_alternative<QStringList>(built)) {
        return {};
    }
    return "A" + std::get<QStringList>(built).join(QString()).toLatin1();
}

// One qm3270-radio, terminated when done; --log and --memory in `folder`.
class RadioWithLog : public RadioProcess {
public:
    RadioWithLog(const QString& folder, const QStringList& faults)
        : RadioProcess(kRadioProgram, QStringList{QStringLiteral("--log"), logPath(folder),
                                                  QStringLiteral("--memory"), memoryPath(folder)} +
                                          faults),
          log_(logPath(folder)),
          memory_(memoryPath(folder)) {}

    QByteArray memory() const {
        QFile file(memory_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Every character the radio heard, in order.
    QByteArray received() const { return logText(log_, true); }

private:
    static QString logPath(const QString& folder) { return folder + QStringLiteral("/radio.log"); }
    static QString memoryPath(const QString& folder) {
        return folder + QStringLiteral("/radio.doc");
    }
    QString log_;
    QString memory_;
};

// The main window over a channel database in `folder`, its port on `device`,
// started as the program starts it.
struct Window {
    Window(const QString& folder, const QString& device, QSettings* settings = nullptr) {
        QString error;
        store = ChannelStore::open(folder + QStringLiteral("/qm3270.db"), &error);
        QVERIFY2(store, qPrintable(error));
        MainWindowServices services{.store = *store,
                                    .port = port,
                                    .messages = messages,
                                    .files = files,
                                    .explicitPort = device,
                                    .settings = settings};
        window = std::make_unique<MainWindow>(services);
        window->startUp();
        QVERIFY2(port.isOpen(), qPrintable(texts().join(u'|')));
        // Label2 has no change signal; a 5 ms look catches every text it shows.
        QObject::connect(&statusWatch, &QTimer::timeout, [this] {
            const QString text = status()->text();
            if (statusSeen.isEmpty() || statusSeen.constLast() != text) {
                statusSeen << text;
            }
        });
        statusWatch.start(5);
    }
    ~Window() {
        if (window) {
            window->close();
        }
    }

    template <typename T>
    T* find(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    QLabel* status() const { return find<QLabel>("Label2"); }
    QComboBox* squelch() const { return find<QComboBox>("Combo1"); }
    void trigger(const char* action) const { find<QAction>(action)->trigger(); }
    bool saw(const QString& text) const { return statusSeen.contains(text); }
    QStringList texts() const { return messages.texts(); }

    void fill(const ChannelTable& table, const QString& squelchText) const {
        QVERIFY(store->replaceColumns(table, {kReceive, kTransmit, kBeat}));
        squelch()->setEditText(squelchText);
    }
    // The table as the grid shows it.
    QStringList shown() const {
        const QAbstractItemModel* model = find<QTableView>("DataGrid1")->model();
        QStringList cells;
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList line;
            for (int column = 0; column < model->columnCount(); ++column) {
                line << model->data(model->index(row, column)).toString();
            }
            cells << line.join(u'|');
        }
        return cells;
    }
    bool menusEnabled() const {
        return find<QAction>("读信道")->isEnabled() && find<QAction>("写信道")->isEnabled() &&
               find<QAction>("退出")->isEnabled() &&
               find<QMenu>("系统")->menuAction()->isEnabled() &&
               find<QMenu>("帮助")->menuAction()->isEnabled();
    }

    std::unique_ptr<ChannelStore> store;
    test::RecordingPresenter messages;
    test::ScriptedFileChooser files;
    SerialPort port;
    std::unique_ptr<MainWindow> window;
    QTimer statusWatch;
    QStringList statusSeen;
};

QStringList shownAfterRead(const ChannelTable& table) {
    QStringList cells;
    for (const ChannelRecord& record : table) {
        QStringList line;
        for (const Field& field : record.fields) {
            line << field.value_or(QString());
        }
        cells << line.join(u'|');
    }
    return cells;
}

// CPU time this process has used, user and system, in milliseconds.
qint64 cpuMilliseconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (static_cast<qint64>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000) +
           ((usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000);
}

// The edit that the child window has confirmed but not yet stored: row 3's
// receive frequency, copied to transmit.
const QString kPendingEdit = QStringLiteral("145");
const QString kPendingEditStored = QStringLiteral("145.00000");

// `tst_window_e2e --window-child DB DEVICE [write]`: the window over DB and
// the radio on DEVICE, run until it ends as the program runs it, with an edit
// typed into the grid and confirmed, but still pending in its row; with
// "write", a write under way. Says "ready" on its output then.
int runWindowChild(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QString error;
    auto store = ChannelStore::open(arguments.at(2), &error);
    if (!store) {
        return 3;
    }
    SerialPort port;
    test::RecordingPresenter messages;
    test::ScriptedFileChooser files;
    MainWindow window({.store = *store,
                       .port = port,
                       .messages = messages,
                       .files = files,
                       .explicitPort = arguments.at(3)});
    window.startUp();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("DataGrid1"));
    const QModelIndex cell = grid->model()->index(2, kReceive);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
    if (editor == nullptr) {
        return 4;
    }
    editor->setText(kPendingEdit);
    QTest::keyClick(editor, Qt::Key_Tab);  // Enter would move on and commit the row
    if (!QTest::qWaitFor([&] { return store->hasPendingEdit() && !grid->indexWidget(cell); })) {
        return 5;
    }
    if (arguments.size() > 4) {
        window.findChild<QAction*>(QStringLiteral("写信道"))->trigger();
    }
    // Ready once the program's event loop runs, with its own handling in place.
    QTimer::singleShot(0, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return runUntilEnd(window, *store);
}

QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

}  // namespace

class WindowE2eTest : public QObject {
    Q_OBJECT

private slots:
    void writeThenReadBack();
    void radioFaults_data();
    void radioFaults();
    void verifyAfterWrite_data();
    void verifyAfterWrite();
    void verifyChoiceIsRemembered();
    void digitAheadOfTheAnswer_data();
    void digitAheadOfTheAnswer();
    void builtInRadioKeepsItsMemoryOverARestart();
    void simulateOption_data();
    void simulateOption();
    void endingKeepsThePendingEdit_data();
    void endingKeepsThePendingEdit();
    void programEndsCleanlyOnASignal();
    void traceOption();
};

// Written, cleared, read back: the radio heard exactly the write, and the grid
// and the squelch box come back as they were.
void WindowE2eTest::writeThenReadBack() {
    QTemporaryDir folder;
    RadioWithLog radio(folder.path(), {});
    QVERIFY(!radio.device().isEmpty());
    Window window(folder.path(), radio.device());
    const ChannelTable table = writtenTable();
    window.fill(table, kWrittenSquelch);
    TRY_VERIFY(window.saw(kReady));
    window.trigger("写后校验");  // the read below is the check

    window.trigger("写信道");
    TRY_VERIFY_WITH_TIMEOUT(window.saw(kWriteDone), kTransferTimeoutMs);
    // Around the write only the ready watch's polls.
    QByteArray heard = radio.received();
    const QByteArray write = writeFor(table, kWrittenSquelch);
    QCOMPARE(write.size(), 321);
    QCOMPARE(heard.count(write), 1);
    QVERIFY2(heard.replace(write, "").count('C') == heard.size(), heard.constData());

    window.fill(emptyTable(), QStringLiteral("0"));
    QCOMPARE(window.shown(), shownAfterRead(emptyTable()));
    window.trigger("读信道");
    TRY_VERIFY_WITH_TIMEOUT(window.saw(kReadDone), kTransferTimeoutMs);
    QCOMPARE(window.shown(), shownAfterRead(table));
    QCOMPARE(window.squelch()->currentText(), kWrittenSquelch);
    QCOMPARE(window.texts(), QStringList());
    QVERIFY(window.menusEnabled());
}

void WindowE2eTest::radioFaults_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("write");  // else a read
    QTest::addColumn<bool>("radioAnswersPolls");
    QTest::addColumn<QString>("message");  // empty: the transfer ends as usual
    QTest::addColumn<bool>("radioTakesTheWrite");

    // A write never waits for the radio: a radio that is off or noisy cannot
    // be told from one that listens. Only a lost line stops it. The ready
    // watch's poll and its answer count towards the hang-up: 2 + "A" + 150.
    QTest::newRow("write, radio off")
        << QStringList{"--off"} << true << false << QString() << false;
    QTest::newRow("write, radio stops answering reads")
        << QStringList{"--stop-after", "30"} << true << true << QString() << true;
    QTest::newRow("write, radio noisy")
        << QStringList{"--noise", "x"} << true << true << QString() << true;
    QTest::newRow("write, line hung up in frame 8")
        << QStringList{"--hang-up-after", "153"} << true << true << kWriteInterrupted << false;

    QTest::newRow("read, radio off")
        << QStringList{"--off"} << false << false << kReadFailed << false;
    QTest::newRow("read, radio falls silent in channel 2")
        << QStringList{"--stop-after", "30"} << false << true << kReadFailed << false;
    QTest::newRow("read, noise ahead of the frames")
        << QStringList{"--noise", "x"} << false << true << kReadFailed << false;
    QTest::newRow("read, line hung up in channel 6")
        << QStringList{"--hang-up-after", "103"} << false << true << kReadFailed << false;
}

// Each fault ends with at most its one message, the menus back, the table as
// it was, and a quiet program.
void WindowE2eTest::radioFaults() {
    QFETCH(QStringList, faults);
    QFETCH(bool, write);
    QFETCH(bool, radioAnswersPolls);
    QFETCH(QString, message);
    QFETCH(bool, radioTakesTheWrite);

    QTemporaryDir folder;
    RadioWithLog radio(folder.path(), faults);
    QVERIFY(!radio.device().isEmpty());
    const QByteArray memoryBefore = radio.memory();
    Window window(folder.path(), radio.device());
    const ChannelTable table = writtenTable();
    window.fill(table, kWrittenSquelch);
    const QStringList tableBefore = window.shown();
    if (radioAnswersPolls) {
        TRY_VERIFY(window.saw(kReady));
    }
    if (write) {
        window.trigger("写后校验");  // the write alone; the read-back has its own test
    }

    window.trigger(write ? "写信道" : "读信道");
    if (message.isEmpty()) {
        TRY_VERIFY_WITH_TIMEOUT(window.saw(kWriteDone), kTransferTimeoutMs);
        QCOMPARE(window.texts(), QStringList());
    } else {
        TRY_VERIFY_WITH_TIMEOUT(!window.messages.shown.isEmpty(), kTransferTimeoutMs);
        QCOMPARE(window.texts(), QStringList{message});
        QCOMPARE(window.messages.shown.constFirst().message.title, kErrorTitle);
        QVERIFY(!window.saw(kWriteDone) && !window.saw(kReadDone));
    }
    QVERIFY(window.menusEnabled());
    QCOMPARE(window.find<QProgressBar>("ProgressBar1")->value(), 0);
    QCOMPARE(window.shown(), tableBefore);
    QCOMPARE(window.squelch()->currentText(), kWrittenSquelch);

    // A lost line that kept signalling would spin the event loop here.
    const qint64 cpuBefore = cpuMilliseconds();
    QTest::qWait(1000);
    const qint64 cpuUsed = cpuMilliseconds() - cpuBefore;
    QVERIFY2(cpuUsed < 250, qPrintable(QStringLiteral("%1 ms of CPU in 1 s").arg(cpuUsed)));
    QCOMPARE(window.texts().size(), message.isEmpty() ? 0 : 1);

    if (radioTakesTheWrite) {
        QVERIFY(radio.memory() != memoryBefore);
    } else {
        QCOMPARE(radio.memory(), memoryBefore);
    }
}

void WindowE2eTest::verifyAfterWrite_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("status");   // the last status before the eraser
    QTest::addColumn<QString>("message");  // empty: none
    QTest::newRow("radio holds the table")
        << QStringList() << QStringLiteral("校验正确") << QString();
    QTest::newRow("radio corrupts channel 7")
        << QStringList{"--corrupt-channel", "7"} << QString()
        << QStringLiteral("校验错误：第 7 信道与信道表不一致！");
    QTest::newRow("radio off") << QStringList{"--off"} << QString()
                               << QStringLiteral(
                                      "校验失败：对讲机无应答或数据有误，请检查连接后重新写入！");
}

// With 写后校验 on, a write is read back at once and the outcome shown; the
// table stays as the user left it whatever the radio says.
void WindowE2eTest::verifyAfterWrite() {
    QFETCH(QStringList, faults);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QTemporaryDir folder;
    RadioWithLog radio(folder.path(), faults);
    QVERIFY(!radio.device().isEmpty());
    Window window(folder.path(), radio.device());
    window.fill(writtenTable(), kWrittenSquelch);
    const QStringList tableBefore = window.shown();
    QVERIFY(window.find<QAction>("写后校验")->isChecked());  // on from the start

    QElapsedTimer clock;
    clock.start();
    window.trigger("写信道");
    TRY_VERIFY_WITH_TIMEOUT(window.saw(QStringLiteral("正在校验数据,,,,,,,")), kTransferTimeoutMs);
    QVERIFY(!window.find<QAction>("写信道")->isEnabled());
    QVERIFY(!window.find<QMenu>("系统")->menuAction()->isEnabled());
    TRY_VERIFY_WITH_TIMEOUT(window.menusEnabled(), 2 * kTransferTimeoutMs);
    qInfo("write with verify: %lld ms", clock.elapsed());
    QCOMPARE(window.status()->text(), status);
    QCOMPARE(window.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(window.messages.shown.constFirst().message.title, kErrorTitle);
    }
    QCOMPARE(window.shown(), tableBefore);
    QCOMPARE(window.squelch()->currentText(), kWrittenSquelch);
    QCOMPARE(window.find<QProgressBar>("ProgressBar1")->value(), 0);
}

// On the first time; then as the user left it, in the next run too.
void WindowE2eTest::verifyChoiceIsRemembered() {
    QTemporaryDir folder;
    RadioWithLog radio(folder.path(), {});
    QSettings settings(folder.filePath(QStringLiteral("qm3270.conf")), QSettings::IniFormat);
    {
        Window first(folder.path(), radio.device(), &settings);
        QVERIFY(first.find<QAction>("写后校验")->isChecked());
        first.trigger("写后校验");
    }
    Window second(folder.path(), radio.device(), &settings);
    QVERIFY(!second.find<QAction>("写后校验")->isChecked());
}

void WindowE2eTest::digitAheadOfTheAnswer_data() {
    QTest::addColumn<QString>("noise");
    QTest::addColumn<bool>("reads");

    QTest::newRow("a digit from the radio") << QStringLiteral("0") << false;
    QTest::newRow("the read command echoed by the cable") << QStringLiteral("5") << true;
}

// One character ahead of the radio's 320 digits: an echoed "5" is the
// cable's, and the read is whole; any other digit makes 321, and the table and
// the squelch box stay as they were.
void WindowE2eTest::digitAheadOfTheAnswer() {
    QFETCH(QString, noise);
    QFETCH(bool, reads);

    QTemporaryDir folder;
    const ChannelTable table = writtenTable();
    QCOMPARE(saveChannelFile(folder.filePath(QStringLiteral("radio.doc")), kWrittenSquelch, table),
             std::nullopt);
    RadioWithLog radio(folder.path(), {QStringLiteral("--noise"), noise});
    QVERIFY(!radio.device().isEmpty());
    Window window(folder.path(), radio.device());
    window.fill(emptyTable(), QStringLiteral("0"));
    TRY_VERIFY(window.saw(kReady));

    window.trigger("读信道");
    if (reads) {
        TRY_VERIFY_WITH_TIMEOUT(window.saw(kReadDone), kTransferTimeoutMs);
        QCOMPARE(window.texts(), QStringList());
        QCOMPARE(window.shown(), shownAfterRead(table));
        QCOMPARE(window.squelch()->currentText(), kWrittenSquelch);
    } else {
        TRY_VERIFY_WITH_TIMEOUT(!window.messages.shown.isEmpty(), kTransferTimeoutMs);
        QCOMPARE(window.texts(), QStringList{kReadFailed});
        QVERIFY(!window.saw(kReadDone));
        QCOMPARE(window.shown(), shownAfterRead(emptyTable()));
        QCOMPARE(window.squelch()->currentText(), QStringLiteral("0"));
    }
    QVERIFY(window.menusEnabled());
}

// The radio of --simulate keeps a write in its memory file: a restarted radio
// read into a fresh table gives the written table back.
void WindowE2eTest::builtInRadioKeepsItsMemoryOverARestart() {
    QTemporaryDir folder;
    const QString memoryFile = folder.filePath(QStringLiteral("not-yet/simulated-radio.doc"));
    const ChannelTable table = writtenTable();
    QString error;
    {
        PtyRadio radio;
        QVERIFY2(startRadioWithMemory(radio, memoryFile, &error), qPrintable(error));
        QVERIFY(QFile::exists(memoryFile));
        Window window(folder.path(), radio.devicePath());
        window.fill(table, kWrittenSquelch);
        TRY_VERIFY(window.saw(kReady));
        window.trigger("写后校验");  // the read after the restart is the check
        window.trigger("写信道");
        TRY_VERIFY_WITH_TIMEOUT(window.saw(kWriteDone), kTransferTimeoutMs);
    }
    QTemporaryDir otherFolder;
    PtyRadio radio;
    QVERIFY2(startRadioWithMemory(radio, memoryFile, &error), qPrintable(error));
    Window window(otherFolder.path(), radio.devicePath());
    QCOMPARE(window.shown(), shownAfterRead(emptyTable()));
    window.trigger("读信道");
    TRY_VERIFY_WITH_TIMEOUT(window.saw(kReadDone), kTransferTimeoutMs);
    QCOMPARE(window.shown(), shownAfterRead(table));
    QCOMPARE(window.squelch()->currentText(), kWrittenSquelch);
    QCOMPARE(window.texts(), QStringList());
}

void WindowE2eTest::simulateOption_data() {
    QTest::addColumn<QByteArray>("memoryFile");  // empty: none yet
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("error");

    const QByteArray programmed = "7,150.00000,150.00000,on," + QByteArray(45, ',');
    QTest::newRow("first run") << QByteArray() << QStringList{"--simulate"} << true << QString();
    QTest::newRow("radio remembered")
        << programmed << QStringList{"--simulate"} << true << QString();
    QTest::newRow("memory file unusable")
        << QByteArray("3,150.00000,\n") << QStringList{"--simulate"} << false
        << QStringLiteral("qm3270: cannot simulate: cannot read ");
    QTest::newRow("with another port")
        << QByteArray() << QStringList{"--simulate", "--port", "/dev/ttyS0"} << false
        << QStringLiteral("qm3270: cannot simulate: --port names another radio's line");
}

// `qm3270 --simulate` keeps its radio beside the default database and is
// otherwise silent; what keeps it from simulating ends it with a reason.
void WindowE2eTest::simulateOption() {
    QFETCH(QByteArray, memoryFile);
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(QString, error);

    QTemporaryDir dataHome;
    const QString memoryPath = dataHome.filePath(QStringLiteral("qm3270/simulated-radio.doc"));
    if (!memoryFile.isEmpty()) {
        QVERIFY(QDir().mkpath(dataHome.filePath(QStringLiteral("qm3270"))));
        QFile file(memoryPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(memoryFile);
    }
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(kWindowProgram, arguments);
    QVERIFY(program.waitForStarted());
    const bool ended = program.waitForFinished(1500);
    const QByteArray out = program.readAllStandardOutput();
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    if (!ended) {
        program.terminate();
        program.waitForFinished();
    }
    QCOMPARE(!ended, runs);
    QCOMPARE(out, QByteArray());
    if (runs) {
        QFile memory(memoryPath);
        QVERIFY(memory.open(QIODevice::ReadOnly));
        const QByteArray kept = memory.readAll();
        QVERIFY2(memoryFile.isEmpty() ? kept.startsWith("3,,,") : kept.startsWith("7,150.00000"),
                 kept.constData());
    } else {
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(err.contains(error), qPrintable(err));
        QFile memory(memoryPath);
        QCOMPARE(memory.open(QIODevice::ReadOnly) ? memory.readAll() : QByteArray(), memoryFile);
    }
}

void WindowE2eTest::endingKeepsThePendingEdit_data() {
    QTest::addColumn<int>("signal");  // 0: the display goes away
    QTest::addColumn<bool>("writing");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false << 0;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false << 0;
    QTest::newRow("SIGINT") << int(SIGINT) << false << 0;
    QTest::newRow("SIGTERM during a write") << int(SIGTERM) << true << 0;
    // The display's platform ends the program itself, with 1.
    QTest::newRow("display lost") << 0 << false << 1;
}

// However the program is ended from outside, the edit is in the database; a
// write under way is finished first, so the radio holds all 16 frames.
void WindowE2eTest::endingKeepsThePendingEdit() {
    QFETCH(int, signal);
    QFETCH(bool, writing);
    QFETCH(int, exitCode);

    QTemporaryDir folder;
    RadioWithLog radio(folder.path(), {});
    QVERIFY(!radio.device().isEmpty());
    QProcessEnvironment environment = offscreen();
    QProcess display;
    if (signal == 0) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            QSKIP("needs Xvfb");
        }
        // Xvfb picks a free display and names it on its output.
        display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        TRY_VERIFY_WITH_TIMEOUT(display.canReadLine(), 10000);
        environment.insert(QStringLiteral("DISPLAY"),
                           QStringLiteral(":") + QString::fromLatin1(display.readLine().trimmed()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QString::fromLatin1(kWindowChild),
                            folder.filePath(QStringLiteral("qm3270.db")), radio.device()} +
                    (writing ? QStringList{QStringLiteral("write")} : QStringList()));
    QVERIFY(child.waitForReadyRead(10000));
    QCOMPARE(child.readLine(), QByteArray("ready\n"));

    if (signal == 0) {
        display.terminate();
        QVERIFY(display.waitForFinished());
    } else {
        ::kill(static_cast<pid_t>(child.processId()), signal);
    }
    QVERIFY(child.waitForFinished(kTransferTimeoutMs));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), exitCode);

    QString error;
    const auto store = ChannelStore::open(folder.filePath(QStringLiteral("qm3270.db")), &error);
    QVERIFY2(store, qPrintable(error));
    QCOMPARE(store->record(2)[kReceive], Field(kPendingEditStored));
    QCOMPARE(store->record(2)[kTransmit], Field(kPendingEditStored));
    if (writing) {
        const QByteArray heard = radio.received();
        QVERIFY2(QRegularExpression(QStringLiteral("A[0-9]{320}$"))
                     .match(QString::fromLatin1(heard))
                     .hasMatch(),
                 heard.constData());
    }
}

// The real program, once its window is up, ends on a signal as on a close.
void WindowE2eTest::programEndsCleanlyOnASignal() {
    QTemporaryDir folder;
    RadioWithLog radio(folder.path(), {});
    QVERIFY(!radio.device().isEmpty());
    QProcess program;
    program.setProcessEnvironment(offscreen());
    program.start(kWindowProgram,
                  {QStringLiteral("--db"), folder.filePath(QStringLiteral("qm3270.db")),
                   QStringLiteral("--port"), radio.device()});
    TRY_VERIFY(radio.received().contains('C'));  // the window's event loop runs
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(kTransferTimeoutMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// `qm3270 --trace FILE` appends the line's traffic: the ready poll going out and
// the simulated radio's answer coming back. A trace it cannot open ends it.
void WindowE2eTest::traceOption() {
    QTemporaryDir dataHome;
    const QString trace = dataHome.filePath(QStringLiteral("trace.txt"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(environment);
    const QString belowTheDataHome = dataHome.path() + QStringLiteral("/no/such/trace.txt");
    program.start(kWindowProgram, {"--simulate", "--trace", belowTheDataHome});
    QVERIFY(program.waitForFinished(1500));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(program.readAllStandardError().contains("qm3270: cannot open trace "));

    program.start(kWindowProgram, {"--simulate", "--trace", trace});
    QVERIFY(!program.waitForFinished(1500));
    program.terminate();
    program.waitForFinished();
    const QStringList lines = QString::fromLatin1(test::fileBytes(trace)).split(u'\n');
    QVERIFY2(lines.size() >= 2, qPrintable(lines.join(u'|')));
    QCOMPARE(lines[0].section(u' ', 1), QStringLiteral("> C"));
    QCOMPARE(lines[1].section(u' ', 1), QStringLiteral("< C"));
    QVERIFY(lines[1].section(u' ', 0, 0).toInt() >= lines[0].section(u' ', 0, 0).toInt());
}

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], kWindowChild) == 0) {
        return runWindowChild(argc, argv);
    }
    QApplication app(argc, argv);
    WindowE2eTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window_e2e.moc"

// The backups taken when 打开 or an import replaces the table, and 恢复备份
// bringing one back: what lands in the backup folder and in the table.

#include "file/channel_file.h"
#include "test_files.h"
#include "try_wait.h"
#include "ui/backup_browser.h"
#include "window_harness.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <variant>

using namespace qm3270;
using namespace qm3270::test;

namespace {

const QByteArray kChannelFile = "5,145.5,145.5,on," + QByteArray("438.5,430.5,off,").repeated(15);

struct Shown {
    QString squelch;     // the level: a channel file drops the list's leading blanks
    QStringList fields;  // fields 1..3 of the 16 rows, as the user sees them
    bool operator==(const Shown&) const = default;
};

Shown shown(const QString& squelch, const ChannelTable& rows) {
    Shown result{squelch.trimmed(), {}};
    for (const ChannelRecord& row : rows) {
        for (const int column : {kReceive, kTransmit, kBeat}) {
            result.fields << row[column].value_or(QStringLiteral("<Null>"));
        }
    }
    return result;
}

Shown shown(const WindowHarness& h) {
    return shown(h.box("Combo1")->currentText(), h.store->records());
}

Shown backup(const QString& path) {
    const auto file = readChannelFile(path);
    if (const auto* read = std::get_if<ChannelFile>(&file)) {
        return shown(read->squelch, read->rows);
    }
    return {};
}

QStringList backups(const QTemporaryDir& dir) {
    return QDir(dir.filePath(QStringLiteral("backups"))).entryList(QDir::Files, QDir::Name);
}

// Channel 4 typed (the row's edit still pending) and squelch 2: the morning's
// work that an open must not take away.
void editTable(WindowHarness& h) {
    h.clickCell(3, kReceive);
    WindowHarness::type(QStringLiteral("440"));
    WindowHarness::press(Qt::Key_Return);
    TRY_COMPARE(h.field(3, kTransmit), QStringLiteral("440.00000"));
    h.box("Combo1")->setCurrentIndex(2);
}

}  // namespace

class OpenBackupsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replacingKeepsTheTableBefore_data();
    void replacingKeepsTheTableBefore();
    void restoreOpensABackupAsOneStep();
    void browserShowsWhatEachBackupHolds();
};

void OpenBackupsTest::replacingKeepsTheTableBefore_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("folderIsAFile");
    QTest::addColumn<QString>("backupEvent");  // empty: no backup, nothing changed
    QTest::addColumn<QString>("message");      // a pattern for the whole text

    const QString refused = QStringLiteral(
        "备份无法保存，操作已取消：.*/backups/"
        "\\d{8}-\\d{6}-before-open\\.doc");
    QTest::newRow("open") << "打开" << kChannelFile << false << "before-open"
                          << "";
    QTest::newRow("import") << "导入CSV" << QByteArray("Location,Frequency\n2,438.5\n") << false
                            << "before-import"
                            << "";
    QTest::newRow("refused file") << "打开" << QByteArray("1,2,3,") << false << ""
                                  << "文件格式错误，未读入数据！";
    QTest::newRow("backups not writable") << "打开" << kChannelFile << true << "" << refused;
}

void OpenBackupsTest::replacingKeepsTheTableBefore() {
    QFETCH(QString, operation);
    QFETCH(QByteArray, content);
    QFETCH(bool, folderIsAFile);
    QFETCH(QString, backupEvent);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("backups"));
    if (folderIsAFile) {
        QVERIFY(writeBytes(folder, "not a folder"));
    }
    const QString file = dir.filePath(operation == "打开" ? "t.doc" : "t.csv");
    QVERIFY(writeBytes(file, content));
    WindowHarness h(dir.filePath(QStringLiteral("qm3270.db")));
    editTable(h);
    const Shown before = shown(h);

    h.files.answers = {file};
    h.action(operation.toUtf8())->trigger();

    const QStringList texts = h.messages.texts();
    QCOMPARE(texts.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QVERIFY2(QRegularExpression("^" + message + "$").match(texts[0]).hasMatch(),
                 qPrintable(texts[0]));
        QCOMPARE(h.messages.messages()[0].title, QStringLiteral("错误警告 "));
        QCOMPARE(shown(h), before);
    }
    const QStringList kept = backups(dir);
    QCOMPARE(kept.size(), backupEvent.isEmpty() ? 0 : 1);
    if (!backupEvent.isEmpty()) {
        QVERIFY(shown(h) != before);
        QVERIFY(QRegularExpression("^\\d{8}-\\d{6}-" + backupEvent + "\\.doc$")
                    .match(kept[0])
                    .hasMatch());
        QCOMPARE(backup(QDir(folder).filePath(kept[0])), before);
    }
}

// The dialog starts in the backup folder; the backup comes back as an open
// does, itself backed up and undone with Ctrl+Z.
void OpenBackupsTest::restoreOpensABackupAsOneStep() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("backups"));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("t.doc")), kChannelFile));
    WindowHarness h(dir.filePath(QStringLiteral("qm3270.db")));
    editTable(h);
    const Shown edited = shown(h);
    h.files.answers = {dir.filePath(QStringLiteral("t.doc"))};
    h.action("打开")->trigger();
    const Shown opened = shown(h);
    QCOMPARE(backups(dir).size(), 1);

    h.action("恢复备份")->trigger();  // cancelled
    QCOMPARE(h.files.startedWith.last(), folder);
    QCOMPARE(shown(h), opened);
    QCOMPARE(backups(dir).size(), 1);

    h.files.answers = {QDir(folder).filePath(backups(dir).constFirst())};
    h.action("恢复备份")->trigger();
    QCOMPARE(h.messages.texts(), QStringList());
    QCOMPARE(shown(h), edited);
    QCOMPARE(backups(dir).size(), 2);  // the opened table was kept before it went

    h.grid()->setFocus();
    WindowHarness::press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(shown(h), opened);
}

// Beside the list, the selected backup's channels with those that differ from
// the table now marked; a backup that is no channel file cannot be chosen.
void OpenBackupsTest::browserShowsWhatEachBackupHolds() {
    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("20261208-090000-written.doc")), kChannelFile));
    QVERIFY(writeBytes(dir.filePath(QStringLiteral("20261208-100000-before-read.doc")),
                       QByteArray("\x89PNG\r\n\x1a\n", 8)));
    ChannelFile now;
    now.rows.at(0)[kReceive] = now.rows.at(0)[kTransmit] = QStringLiteral("145.50000");
    now.rows.at(0)[kBeat] = QStringLiteral("on");
    BackupBrowser browser(dir.path(), now);
    auto* list = browser.findChild<QTableWidget*>(QStringLiteral("backups"));
    auto* channels = browser.findChild<QTableWidget*>(QStringLiteral("backupChannels"));
    auto* restore = browser.findChild<QPushButton*>(QStringLiteral("恢复"));
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 1)->text(), QStringLiteral("读信道前"));  // newest first
    QCOMPARE(list->item(0, 2)->text(), QStringLiteral("无法读取"));
    QVERIFY(!restore->isEnabled());
    QVERIFY(browser.chosen().isEmpty());

    list->setCurrentCell(1, 0);
    QCOMPARE(list->item(1, 1)->text(), QStringLiteral("写入后"));
    QVERIFY(restore->isEnabled());
    QCOMPARE(channels->verticalHeaderItem(0)->text(), QStringLiteral("1"));  // the same
    QCOMPARE(channels->verticalHeaderItem(1)->text(), QStringLiteral("≠ 2"));
    QCOMPARE(channels->item(1, 0)->text(), QStringLiteral("438.50000"));
    QCOMPARE(browser.chosen(), dir.filePath(QStringLiteral("20261208-090000-written.doc")));
}

QTEST_MAIN(OpenBackupsTest)
#include "tst_open_backups.moc"

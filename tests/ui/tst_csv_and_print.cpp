// The window's CHIRP CSV entries and the printed channel sheet: what the menu
// offers, what reaches the table and the files. The codecs have their own tests.

#include "channels/channel_store.h"
#include "fake_port.h"
#include "fake_port_lister.h"
#include "test_files.h"
#include "try_wait.h"
#include "ui/channel_grid.h"
#include "ui/main_window.h"
#include "ui/printer_chooser.h"
#include "ui_doubles.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm3270;
using namespace qm3270::test;

namespace {

const QByteArray kCsv =
    "# squelch=6\r\nLocation,Frequency,Duplex,Offset,Comment\r\n2,438.5,-,8,beat=on\r\n";

// Answers the print dialog with "print to file" into `path`; no path: cancel.
class PdfPrinterChooser : public PrinterChooser {
public:
    QString path;
    int asked = 0;

    bool choose(QWidget*, QPrinter& printer) override {
        ++asked;
        if (path.isEmpty()) {
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    }
};

struct Harness {
    Harness() {
        QString error;
        store = ChannelStore::open(QStringLiteral(":memory:"), &error);
        QVERIFY2(store, qPrintable(error));
        MainWindowServices services{
            .store = *store,
            .port = port,
            .messages = messages,
            .files = files,
            .deviceForNumber = [](int number) { return QStringLiteral("COM%1").arg(number); },
            .timing = LinkTiming{},
            .today = QDate(2026, 12, 7),
            .explicitPort = std::nullopt,
            .lister = lister,
            .printers = printers};
        window = std::make_unique<MainWindow>(services);
        window->startUp();
    }

    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QString::fromUtf8(name));
    }
    QComboBox* squelch() const { return window->findChild<QComboBox*>(QStringLiteral("Combo1")); }
    QString field(int row, int column) const {
        return store->record(row)[column].value_or("<Null>");
    }
    void setRow(int row, const char* rx, const char* tx, const char* beat) const {
        QVERIFY(store->setField(row, kReceive, QString::fromUtf8(rx)));
        QVERIFY(store->setField(row, kTransmit, QString::fromUtf8(tx)));
        QVERIFY(store->setField(row, kBeat, QString::fromUtf8(beat)));
    }
    QString chosen(const QByteArray& content) {
        const QString path = dir.filePath(QStringLiteral("in.csv"));
        [&] { QVERIFY(writeBytes(path, content)); }();
        files.answers << path;
        return path;
    }

    QTemporaryDir dir;
    std::unique_ptr<ChannelStore> store;
    RecordingPresenter messages;
    ScriptedFileChooser files;
    PdfPrinterChooser printers;
    FakePort port;
    FakePortLister lister;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

class CsvAndPrintTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entriesFollowTheDesignedOnes();
    void importReplacesTheTableThenExportWritesIt();
    void refusedImportChangesNothing();
    void listBeyondTheRadioIsFittedWhenTheUserAgrees();
    void importWaitsForARead();
    void printsTheTableAsTheGridShowsIt();
};

void CsvAndPrintTest::entriesFollowTheDesignedOnes() {
    Harness h;
    const QList<QAction*> entries = h.window->findChild<QMenu*>(QStringLiteral("文件"))->actions();
    QStringList captions;
    for (const QAction* entry : entries) {
        captions << (entry->isSeparator() ? QStringLiteral("--") : entry->text());
    }
    QCOMPARE(captions, QStringList({"打开文件(&O)", "保存文件(&V)", "--", "撤销(&U)", "重做(&Y)",
                                    "--", "恢复备份(&B)...", "导入 CSV(&I)...", "导出 CSV(&X)...",
                                    "打印信道表(&P)..."}));
}

void CsvAndPrintTest::importReplacesTheTableThenExportWritesIt() {
    Harness h;
    h.setRow(0, "150.00000", "150.00000", "on");
    h.squelch()->setEditText(QStringLiteral("2"));
    h.chosen(kCsv);
    h.action("导入CSV")->trigger();
    QVERIFY(h.messages.shown.isEmpty());
    QCOMPARE(h.field(0, kReceive), QString());  // channels the file does not name are cleared
    QCOMPARE(h.field(0, kBeat), QString());
    QCOMPARE(h.field(1, kReceive), QStringLiteral("438.50000"));
    QCOMPARE(h.field(1, kTransmit), QStringLiteral("430.50000"));
    QCOMPARE(h.field(1, kBeat), QStringLiteral("on"));
    QCOMPARE(h.squelch()->currentText(), QStringLiteral("6"));
    QVERIFY(!h.store->hasPendingEdit());

    const QString out = h.dir.filePath(QStringLiteral("out.csv"));
    h.files.answers << out;
    h.action("导出CSV")->trigger();
    QCOMPARE(h.files.startedWith.last(), h.dir.filePath(QStringLiteral("in.csv")));
    const QByteArray written = fileBytes(out);
    QVERIFY2(written.startsWith("# squelch=6\r\nLocation,Name,Frequency,"), written.constData());
    QVERIFY(
        written.endsWith("\r\n2,,438.500000,-,8.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,"
                         "5.00,,beat=on,,,,\r\n"));
}

void CsvAndPrintTest::refusedImportChangesNothing() {
    Harness h;
    h.setRow(3, "150.00000", "150.00000", "on");
    h.chosen("# squelch=5\nLocation,Frequency\n1,150\n1,151\n");
    h.action("导入CSV")->trigger();
    QCOMPARE(h.messages.texts(),
             QStringList{"CSV 文件无法导入：第 4 行 Location 列：信道 1 已在第 3 行给出"});
    QCOMPARE(h.messages.messages().value(0).title, QStringLiteral("错误警告 "));
    QCOMPARE(h.field(0, kReceive), QString());
    QCOMPARE(h.field(3, kBeat), QStringLiteral("on"));
    QCOMPARE(h.squelch()->currentText(), QStringLiteral("3"));
}

void CsvAndPrintTest::listBeyondTheRadioIsFittedWhenTheUserAgrees() {
    Harness h;
    h.setRow(0, "150.00000", "150.00000", "on");
    QByteArray list = "Location,Frequency\n";
    for (int location = 22; location >= 1; --location) {
        list += QByteArray::number(location) + ",1" + QByteArray::number(location + 40) + "\n";
    }
    const QString path = h.chosen(list);
    h.messages.answer = false;
    h.action("导入CSV")->trigger();
    QCOMPARE(h.messages.asked.size(), 1);
    const UserMessage question = h.messages.asked.constFirst();
    QCOMPARE(question.text,
             u"CSV 文件中的信道不能全部写入对讲机（信道号不在 1–16 之内、多于 16 个信道或频率超出 "
             u"130–500 MHz）。是否按信道号顺序导入对讲机能用的前 16 个信道？");
    QCOMPARE(question.title, u"系统信息");
    const QStringList leftOut = question.detail.split(u'\n');
    QCOMPARE(leftOut.size(), 6);
    QCOMPARE(leftOut.constFirst(),
             u"第 2 行 Location 列：信道 22 排在对讲机能用的前 16 个信道之后");
    QCOMPARE(h.field(0, kReceive), QStringLiteral("150.00000"));  // 取消: nothing changed
    QCOMPARE(h.field(1, kReceive), QString());
    const auto* last = h.window->findChild<QLabel*>(QStringLiteral("lastOutcome"));
    QVERIFY2(!last->text().contains(u"已导入"), qPrintable(last->text()));  // nor said to be

    h.messages.answer = true;
    h.files.answers << path;
    h.action("导入CSV")->trigger();
    QCOMPARE(h.messages.asked.size(), 2);
    QVERIFY(h.messages.shown.isEmpty());
    for (int k = 0; k < kChannelCount; ++k) {
        QCOMPARE(h.field(k, kReceive), QStringLiteral("%1.00000").arg(141 + k));
    }
    QCOMPARE(h.field(0, kBeat), QStringLiteral("off"));

    h.action("撤销")->trigger();  // one step back to the table before the import
    QCOMPARE(h.field(0, kReceive), QStringLiteral("150.00000"));
    QCOMPARE(h.field(0, kBeat), QStringLiteral("on"));
    QCOMPARE(h.field(1, kReceive), QString());
}

// Like 打开, an import and a restore wait while a read is about to replace the
// table.
void CsvAndPrintTest::importWaitsForARead() {
    Harness h;
    QVERIFY(h.port.isOpen());
    h.action("读信道")->trigger();
    QVERIFY(!h.action("导入CSV")->isEnabled());
    QVERIFY(!h.action("恢复备份")->isEnabled());
    QVERIFY(h.action("导出CSV")->isEnabled());
    h.port.failLine();
    TRY_VERIFY(h.action("导入CSV")->isEnabled());
    QVERIFY(h.action("恢复备份")->isEnabled());
}

void CsvAndPrintTest::printsTheTableAsTheGridShowsIt() {
    Harness h;
    h.setRow(0, "462.56250", "467.56250", "on");
    h.squelch()->setEditText(QStringLiteral("4"));
    // Typed but not yet accepted: the sheet shows it as the grid will hold it.
    auto* grid = h.window->findChild<ChannelGrid*>(QStringLiteral("DataGrid1"));
    const QModelIndex cell = grid->model()->index(15, kReceive);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
    QVERIFY(editor);
    editor->setText(QStringLiteral("150"));

    h.action("打印信道表")->trigger();  // cancelled
    QCOMPARE(h.printers.asked, 1);
    h.printers.path = h.dir.filePath(QStringLiteral("sheet.pdf"));
    h.action("打印信道表")->trigger();
    QVERIFY(h.messages.shown.isEmpty());
    const QString text = pdfText(h.printers.path);
    QVERIFY2(text.contains(u"QM3270 信道表"), "pdftotext (poppler-utils) must be installed");
    QVERIFY(text.contains(u"静噪级别：4"));
    QVERIFY2(text.contains(QRegularExpression(
                 QStringLiteral("\\n\\s*1\\s+462\\.56250\\s+467\\.56250\\s+on\\s*\\n"))),
             qPrintable(text));
    QVERIFY(text.contains(
        QRegularExpression(QStringLiteral("\\n\\s*16\\s+150\\.00000\\s+150\\.00000\\s*\\n"))));

    // A file that cannot be written is said so, naming it.
    h.printers.path = h.printers.path + QStringLiteral("/below-a-file.pdf");
    h.action("打印信道表")->trigger();
    QCOMPARE(h.messages.texts(), QStringList{"文件保存失败！\n" + h.printers.path});
}

QTEST_MAIN(CsvAndPrintTest)
#include "tst_csv_and_print.moc"

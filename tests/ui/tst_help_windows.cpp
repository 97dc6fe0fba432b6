#include "sheet/fonts.h"
#include "try_wait.h"
#include "ui/about_window.h"
#include "ui/instructions_window.h"
#include "ui_doubles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

#include <memory>

using namespace qm3270;
using namespace qm3270::test;

namespace {

QWidget* showWindow(const QString& which) {
    if (which == QLatin1String("frmAbout")) {
        return showAboutWindow(std::make_shared<RecordingPresenter>());
    }
    return showInstructionsWindow();
}

int topLevelsNamed(const QString& name) {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        count += widget->objectName() == name ? 1 : 0;
    }
    return count;
}

// Where the wrapping label begins its lines.
QStringList wrappedLines(const QLabel* label) {
    const QString text = label->text();
    QTextLayout layout(text, label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->contentsRect().width());
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

}  // namespace

class HelpWindowsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutions(); }
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            widget->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(topLevelsNamed(QStringLiteral("frmAbout")), 0);
        QCOMPARE(topLevelsNamed(QStringLiteral("frmAbout1")), 0);
    }

    void controls_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QColor>("color");  // invalid: not looked at
        const QString about = QStringLiteral("frmAbout");
        const QString help = QStringLiteral("frmAbout1");
        QTest::newRow("lblTitle") << about << "lblTitle"
                                  << "    QM3270写频软件" << QRect(88, 16, 227, 32)
                                  << QColor(Qt::red);
        QTest::newRow("lblVersion")
            << about << "lblVersion"
            << "      版本 B 1.1" << QRect(80, 48, 259, 31) << QColor(Qt::red);
        QTest::newRow("lblDescription")
            << about << "lblDescription" << QString() << QRect(80, 88, 259, 62) << QColor(Qt::blue);
        QTest::newRow("lblDisclaimer")
            << about << "lblDisclaimer" << QString() << QRect(8, 192, 258, 24) << QColor();
        QTest::newRow("about cmdOK") << about << "cmdOK"
                                     << "确定" << QRect(275, 175, 100, 23) << QColor();
        QTest::newRow("cmdSysInfo") << about << "cmdSysInfo"
                                    << "系统信息(&S)..." << QRect(276, 205, 99, 23) << QColor();
        QTest::newRow("picIcon") << about << "picIcon" << QString() << QRect(32, 16, 32, 32)
                                 << QColor();
        QTest::newRow("instructions") << help << "lblDescription" << qm3270::instructionsText()
                                      << QRect(48, 40, 523, 302) << QColor(Qt::blue);
        QTest::newRow("instructions cmdOK") << help << "cmdOK"
                                            << "确定" << QRect(488, 352, 100, 23) << QColor();
    }
    void controls() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        QFETCH(QColor, color);
        QWidget* shown = showWindow(window);
        auto* control = shown->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), geometry);
        if (!text.isNull()) {
            QCOMPARE(control->property("text").toString(), text);
        }
        if (color.isValid()) {
            control->ensurePolished();
            QCOMPARE(control->palette().color(QPalette::WindowText), color);
        }
        if (qobject_cast<QLabel*>(control) != nullptr && name != QLatin1String("picIcon")) {
            QCOMPARE(control->font().family(), QStringLiteral("楷体_GB2312"));
        }
    }

    void windows_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::newRow("about") << "frmAbout"
                               << "关于本软件" << QSize(382, 237);
        QTest::newRow("instructions") << "frmAbout1"
                                      << "操作说明" << QSize(614, 384);
    }
    void windows() {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QWidget* shown = showWindow(window);
        QCOMPARE(shown->objectName(), window);
        QCOMPARE(shown->windowTitle(), title);
        QCOMPARE(shown->size(), size);
        QCOMPARE(shown->minimumSize(), shown->maximumSize());
        QVERIFY(!(shown->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(!shown->isModal());

        // One window, however often the menu is chosen.
        QCOMPARE(showWindow(window), shown);
        QCOMPARE(topLevelsNamed(window), 1);
    }

    // Red and blue on a dark desktop palette would be unreadable: the page
    // stays light (the window's own corner, where no control is drawn).
    void lightPageUnderADarkPalette_data() { windows_data(); }
    void lightPageUnderADarkPalette() {
        QFETCH(QString, window);
        const QPalette desktop = QApplication::palette();
        QPalette dark(QColor(40, 40, 40), QColor(30, 30, 30));
        QApplication::setPalette(dark);
        QWidget* shown = showWindow(window);
        const QImage page = shown->grab().toImage();
        QApplication::setPalette(desktop);
        if (!qEnvironmentVariableIsEmpty("QM3270_SCREENSHOTS")) {
            page.save(qEnvironmentVariable("QM3270_SCREENSHOTS") + u'/' + window + ".png");
        }
        QVERIFY2(QColor(page.pixel(2, 2)).lightness() > 200,
                 qPrintable(QColor(page.pixel(2, 2)).name()));
    }

    void aboutTexts() {
        QWidget* about = showWindow(QStringLiteral("frmAbout"));
        const QString support = about->findChild<QLabel*>(QStringLiteral("lblDisclaimer"))->text();
        QVERIFY(support.startsWith(QStringLiteral("技术咨询：")));
        QVERIFY(support.contains(QStringLiteral("555")));  // a number nobody answers
        const QString description =
            about->findChild<QLabel*>(QStringLiteral("lblDescription"))->text();
        QVERIFY(description.contains(QStringLiteral("QM3270")));
        QVERIFY(description.endsWith(QStringLiteral("。")));
        QVERIFY(!about->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    }

    void instructionsText_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("anchor");
        const QString text = qm3270::instructionsText();
        const auto blanks = [](int n) { return QString(n, QLatin1Char(' ')); };
        QTest::newRow("heading") << 0 << blanks(18) + "操作说明" + blanks(25) + "一，";
        QTest::newRow("item 2") << int(text.indexOf("联结。")) << "联结。" + blanks(4) + "二，";
        QTest::newRow("file name")
            << int(text.indexOf("后缀")) << "后缀" + blanks(2) + ".doc）。" + blanks(6) + "同样";
        QTest::newRow("item 6") << int(text.indexOf("使用。")) << "使用。" + blanks(21) + "六，";
        QTest::newRow("quotes") << int(text.indexOf("屏显")) << "屏显显示“对讲机就续”。";
        QTest::newRow("end") << 377 << "行口。" + blanks(4);
    }
    void instructionsText() {
        QFETCH(int, at);
        QFETCH(QString, anchor);
        const QString text = qm3270::instructionsText();
        QCOMPARE(text.size(), qsizetype{384});
        QCOMPARE(text.count(QLatin1Char(' ')), qsizetype{124});
        QCOMPARE(text.mid(at, anchor.size()), anchor);
    }

    // The blank runs only work if the label wraps where they expect.
    void eachInstructionStartsALine() {
        QWidget* help = showWindow(QStringLiteral("frmAbout1"));
        const QStringList lines =
            wrappedLines(help->findChild<QLabel*>(QStringLiteral("lblDescription")));
        QStringList starts;
        for (const QString& line : lines) {
            starts << line.left(2);
        }
        for (const char* item : {"一，", "二，", "三，", "四，", "五，", "同样", "六，"}) {
            QVERIFY2(starts.contains(QString::fromUtf8(item)), qPrintable(lines.join('|')));
        }
        QVERIFY2(
            lines.size() *
                    QFontMetrics(help->findChild<QLabel*>(QStringLiteral("lblDescription"))->font())
                        .lineSpacing() <=
                302,
            "the text runs past the label");
    }

    void keysClose_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("key");
        QTest::newRow("about, Enter") << "frmAbout" << int(Qt::Key_Return);
        QTest::newRow("about, Esc") << "frmAbout" << int(Qt::Key_Escape);
        QTest::newRow("instructions, Enter") << "frmAbout1" << int(Qt::Key_Return);
        QTest::newRow("instructions, Esc") << "frmAbout1" << int(Qt::Key_Escape);
    }
    void keysClose() {
        QFETCH(QString, window);
        QFETCH(int, key);
        const QPointer<QWidget> shown = showWindow(window);
        QTest::keyClick(shown.data(), Qt::Key(key));
        TRY_VERIFY(shown.isNull());
        // The next show builds the window afresh.
        QVERIFY(showWindow(window) != nullptr);
        QCOMPARE(topLevelsNamed(window), 1);
    }

    void outlivesTheMainWindow() {
        auto* mainWindow = new QWidget;
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        mainWindow->show();
        const QPointer<QWidget> about = showWindow(QStringLiteral("frmAbout"));
        const QPointer<QWidget> help = showWindow(QStringLiteral("frmAbout1"));
        mainWindow->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(topLevelsNamed(QStringLiteral("frmAbout")), 1);
        QCOMPARE(topLevelsNamed(QStringLiteral("frmAbout1")), 1);
        for (const QPointer<QWidget>& window : {about, help}) {
            QVERIFY(!window.isNull());
            QVERIFY(window.data()->isVisible());
        }
    }

    void systemInformation_data() {
        QTest::addColumn<QStringList>("toolsOnPath");
        QTest::addColumn<QString>("started");  // empty: the message instead
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("only the monitor")
            << QStringList{"gnome-system-monitor"} << "gnome-system-monitor";
        QTest::newRow("first one wins")
            << QStringList{"gnome-system-monitor", "kinfocenter", "hardinfo"} << "hardinfo";
        QTest::newRow("kinfocenter before the monitor")
            << QStringList{"gnome-system-monitor", "kinfocenter"} << "kinfocenter";
    }
    void systemInformation() {
        QFETCH(QStringList, toolsOnPath);
        QFETCH(QString, started);
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString marker = bin.filePath(QStringLiteral("started"));
        for (const QString& tool : toolsOnPath) {
            QFile script(bin.filePath(tool));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\necho %1 > '%2'\n").arg(tool, marker).toUtf8());
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QDir::toNativeSeparators(bin.path()).toLocal8Bit());

        auto messages = std::make_shared<RecordingPresenter>();
        auto* about = showAboutWindow(messages);
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo")),
                          Qt::LeftButton);
        qputenv("PATH", savedPath);

        QVERIFY(about->isVisible());
        if (started.isEmpty()) {
            QCOMPARE(messages->shown.size(), 1);
            QCOMPARE(messages->shown[0].message,
                     (UserMessage{QStringLiteral("此时系统信息不可用"), QStringLiteral("QM3270"),
                                  UserMessage::Icon::None}));
            QCOMPARE(messages->shown[0].parent, about);
            return;
        }
        QVERIFY(messages->shown.empty());
        // The shell creates the marker before it writes into it: wait for the text.
        const auto markerText = [&marker] {
            QFile result(marker);
            return result.open(QIODevice::ReadOnly) ? result.readAll().trimmed() : QByteArray();
        };
        TRY_COMPARE(markerText(), started.toUtf8());
    }
};

QTEST_MAIN(HelpWindowsTest)
#include "tst_help_windows.moc"

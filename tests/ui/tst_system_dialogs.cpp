#include "ui/file_chooser.h"
#include "ui/message_presenter.h"
#include "ui/qt_texts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace qm3270;

namespace {

// Runs `answer` on the modal dialog that the next call opens; a dialog that a
// failed check left open is rejected so that the test ends.
template <typename DialogType>
void whenShown(std::function<void(DialogType*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<DialogType*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        answer(dialog);
        if (dialog->isVisible()) {
            dialog->close();
        }
    });
}

}  // namespace

class SystemDialogsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileDialogs_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("title");
        QTest::newRow("open") << false << "打开";
        QTest::newRow("save") << true << "另存为";
    }
    // Both dialogs start on the last name and show only channel files; the open
    // takes a name that does not exist yet (the open then reports it), the save
    // adds ".doc" and asks before it replaces a file.
    void fileDialogs() {
        QFETCH(bool, save);
        QFETCH(QString, title);
        QTemporaryDir folder;
        const QString last = folder.filePath(QStringLiteral("信道.doc"));
        QFile(last).open(QIODevice::WriteOnly);
        const QString typed = folder.filePath(QStringLiteral("new"));

        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), title);
            QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("text(*.doc)")});
            QCOMPARE(dialog->selectedFiles(), QStringList{last});
            QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !save);
            QCOMPARE(dialog->defaultSuffix(), save ? QStringLiteral("doc") : QString());
            dialog->selectFile(typed);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        DialogFileChooser chooser;
        const QString chosen =
            save ? chooser.chooseSave(nullptr, last) : chooser.chooseOpen(nullptr, last);
        QCOMPARE(chosen, save ? typed + QStringLiteral(".doc") : typed);
    }

    void cancelChoosesNothing() {
        whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        DialogFileChooser chooser;
        QCOMPARE(chooser.chooseOpen(nullptr, QString()), QString());
    }

    void messageBox_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("boxIcon");
        QTest::newRow("exclamation")
            << int(UserMessage::Icon::Exclamation) << int(QMessageBox::Warning);
        QTest::newRow("none") << int(UserMessage::Icon::None) << int(QMessageBox::NoIcon);
        QTest::newRow("information")
            << int(UserMessage::Icon::Information) << int(QMessageBox::Information);
    }
    void messageBox() {
        QFETCH(int, icon);
        QFETCH(int, boxIcon);
        const UserMessage message{QStringLiteral("串行端口 1 已被使用 "),
                                  QStringLiteral("系统信息"), UserMessage::Icon(icon)};
        bool answered = false;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->text(), message.text);
            QCOMPARE(box->windowTitle(), message.title);
            QCOMPARE(int(box->icon()), boxIcon);
            QCOMPARE(box->buttons().size(), qsizetype{1});
            QCOMPARE(box->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
            box->button(QMessageBox::Ok)->click();
            answered = true;
        });
        BoxMessagePresenter().show(nullptr, message);
        QVERIFY(answered);
    }

    // Last: the translation stays installed for the rest of the program.
    void fileDialogSpeaksChinese() {
        if (!installQtChineseTexts(this)) {
            QSKIP("Qt's Chinese translations are not installed");
        }
        QString cancel;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            cancel =
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
            dialog->reject();
        });
        DialogFileChooser().chooseOpen(nullptr, QString());
        QCOMPARE(cancel, QStringLiteral("取消"));
    }
};

QTEST_MAIN(SystemDialogsTest)
#include "tst_system_dialogs.moc"

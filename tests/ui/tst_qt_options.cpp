// The program's command line leaves Qt's own options to the application object.

#include "app/qt_options.h"

#include <QtTest>

using namespace qm3270;

class QtOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void onlyOurOwnArgumentsAreLeft_data();
    void onlyOurOwnArgumentsAreLeft();
};

void QtOptionsTest::onlyOurOwnArgumentsAreLeft_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("ours");
    const QString program = QStringLiteral("qm3270");
    QTest::newRow("style and platform, value apart")
        << QStringList{program, "-style", "Fusion", "-platform", "offscreen", "a.doc"}
        << QStringList{program, "a.doc"};
    QTest::newRow("value attached, two dashes")
        << QStringList{program, "--style=Fusion", "-platform=xcb", "--port", "/dev/pts/3"}
        << QStringList{program, "--port", "/dev/pts/3"};
    QTest::newRow("options without a value")
        << QStringList{program, "-reverse", "--db", "x.db", "-widgetcount"}
        << QStringList{program, "--db", "x.db"};
    QTest::newRow("a file named like an option after --")
        << QStringList{program, "--", "-style"} << QStringList{program, "--", "-style"};
    QTest::newRow("our own and unknown options stay")
        << QStringList{program, "--simulate", "-x", "--styles"}
        << QStringList{program, "--simulate", "-x", "--styles"};
}

void QtOptionsTest::onlyOurOwnArgumentsAreLeft() {
    QFETCH(QStringList, arguments);
    QTEST(withoutQtOptions(arguments), "ours");
}

QTEST_MAIN(QtOptionsTest)
#include "tst_qt_options.moc"

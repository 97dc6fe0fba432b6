// qm3270-cli write --each against the simulator playing a line of five radios.

#include "cli_runner.h"
#include "radio_process.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using qm3270::test::fileBytes;
using qm3270::test::writeBytes;

namespace {

const QString kRadio = QStringLiteral(QM3270_BINARY_DIR "/src/sim/qm3270-radio");

// Squelch 3, every channel programmed.
QByteArray table() {
    QByteArray text = "3,";
    for (int k = 1; k <= 16; ++k) {
        const QByteArray mhz = QByteArray::number(150.0 + k * 0.0125, 'f', 5);
        text += mhz + ',' + mhz + ",on,";
    }
    return text;
}

}  // namespace

class EachE2e : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Radio 2 is switched off as its read begins, radio 4 corrupts channel 3.
    void fiveRadios() {
        QTemporaryDir dir;
        const QString memory = dir.filePath(QStringLiteral("memory"));
        const QString backups = dir.filePath(QStringLiteral("backups"));
        QVERIFY(QDir().mkpath(memory));
        // Each radio holds squelch level K before it is written.
        for (int k = 1; k <= 5; ++k) {
            writeBytes(QDir(memory).filePath(QStringLiteral("radio-%1.doc").arg(k)),
                       QByteArray::number(k) + QByteArray(49, ','));
        }
        const QString doc = dir.filePath(QStringLiteral("fleet.doc"));
        writeBytes(doc, table());
        qm3270::RadioProcess radio(
            kRadio, {QStringLiteral("--radios"), QStringLiteral("5"), QStringLiteral("--radio"),
                     QStringLiteral("2:stop-after=0"), QStringLiteral("--radio"),
                     QStringLiteral("4:corrupt-channel=3"), QStringLiteral("--swap"),
                     QStringLiteral("1200"), QStringLiteral("--memory-dir"), memory});
        QVERIFY(!radio.device().isEmpty());

        const CliRun run =
            runCliFor({QStringLiteral("write"), QStringLiteral("--port"), radio.device(), doc,
                       QStringLiteral("--each"), QStringLiteral("--count"), QStringLiteral("5"),
                       QStringLiteral("--backup-dir"), backups},
                      120000);
        const QStringList lines = run.out.split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("radio 1: verified"));
        // The read's reason, where it listened, stands before the outcome.
        QVERIFY(lines[1].startsWith(
            QStringLiteral("radio 2: cannot read its old table: 读数错误！！")));
        QVERIFY(lines[1].endsWith(QStringLiteral(", not written")));
        QCOMPARE(lines.mid(2),
                 (QStringList{QStringLiteral("radio 3: verified"),
                              QStringLiteral("radio 4: verify found channel 3 different"),
                              QStringLiteral("radio 5: verified"), QString()}));
        QCOMPARE(run.status, 5);  // the worst: a verify that found a difference
        const QStringList before = QDir(backups).entryList({QStringLiteral("*-before-write.doc")},
                                                           QDir::Files, QDir::Name);
        QStringList squelches;
        for (const QString& name : before) {
            squelches << QString::fromLatin1(fileBytes(QDir(backups).filePath(name)).split(',')[0]);
        }
        QCOMPARE(squelches, (QStringList{"1", "3", "4", "5"}));
        const auto held = [&memory](int k) {
            return fileBytes(QDir(memory).filePath(QStringLiteral("radio-%1.doc").arg(k)));
        };
        QCOMPARE(held(1), held(3));
        QCOMPARE(held(5), held(3));
        QVERIFY(held(1).startsWith("3,150.01250,150.01250,on,"));
        QVERIFY(held(2).startsWith("2,"));
        QVERIFY(held(4) != held(3));
    }
};

QTEST_GUILESS_MAIN(EachE2e)
#include "tst_each_e2e.moc"

#include "fake_port.h"
#include "link/traced_port.h"
#include "test_files.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace qm3270;
using qm3270::test::FakePort;

namespace {

// The trace without its times: "D TEXT" for each line, which must read "MS D TEXT".
QStringList traceWithoutTimes(const QString& path) {
    static const QRegularExpression form(QStringLiteral("^\\d+ ([<>] .*)$"));
    QStringList lines;
    for (const QString& line : QString::fromLatin1(test::fileBytes(path)).split(u'\n')) {
        const auto match = form.match(line);
        lines << (match.hasMatch() ? match.captured(1) : line);
    }
    return lines;
}

}  // namespace

// A whole write, as the radio hears it, is read back from the trace in the
// command line's end-to-end test; here is what makes up a line.
class TracedPortTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void burstsAreWhatArrivedTogether() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        QVERIFY(test::writeBytes(path, "0 > C\n"));  // an earlier run's trace stays
        FakePort inner;
        TracedPort port(inner);
        QVERIFY(port.openTrace(path, nullptr));
        QVERIFY(port.open(QStringLiteral("/dev/ttyS0"), nullptr));
        QSignalSpy received(&port, &Port::received);
        QSignalSpy failed(&port, &Port::failed);

        const QByteArray odd("5\r\n\0\\\xE9", 6);
        inner.deliver(odd);
        QCOMPARE(received.count(), 1);
        QCOMPARE(port.waitingCount(), 6);
        QString read;
        while (port.waitingCount() > 0) {
            read += port.readOne();
        }
        QCOMPARE(read, QString::fromLatin1(odd));
        inner.queueSilently("CC");  // thrown away by the transfer, but traced
        port.discardInput();
        QCOMPARE(port.waitingCount(), 0);
        port.send("\x7F");
        inner.failLine();
        QCOMPARE(failed.count(), 1);

        QCOMPARE(traceWithoutTimes(path),
                 QStringList({"> C", "< 5\\x0D\\x0A\\x00\\x5C\\xE9", "< CC", "> \\x7F", ""}));
    }

    void traceThatCannotBeOpened() {
        QTemporaryDir dir;
        const QString aFile = dir.filePath(QStringLiteral("plain"));
        QVERIFY(test::writeBytes(aFile, "x"));
        FakePort inner;
        TracedPort port(inner);
        QString error;
        QVERIFY(!port.openTrace(aFile + QStringLiteral("/trace.txt"), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TracedPortTest)
#include "tst_traced_port.moc"

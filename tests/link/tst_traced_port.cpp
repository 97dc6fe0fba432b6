#include "fake_port.h"
#include "link/traced_port.h"
#include "link/write_transfer.h"
#include "test_files.h"
#include "timer_firing.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace qm3270;
using qm3270::test::FakePort;

namespace {

struct TraceLine {
    qint64 ms = 0;
    QChar direction;
    QString text;
};

// Every line of the trace must be "MS D TEXT".
QList<TraceLine> readTrace(const QString& path) {
    static const QRegularExpression form(QStringLiteral("^(\\d+) ([<>]) (.*)$"));
    QList<TraceLine> lines;
    for (const QString& line : QString::fromLatin1(test::fileBytes(path)).split(u'\n')) {
        if (line.isEmpty()) {
            continue;
        }
        const auto match = form.match(line);
        if (!match.hasMatch()) {
            qWarning("not a trace line: %s", qPrintable(line));
            return {};
        }
        lines.append({match.captured(1).toLongLong(), match.captured(2).at(0), match.captured(3)});
    }
    return lines;
}

}  // namespace

class TracedPortTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeIsTracedInOrder() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        FakePort inner;
        TracedPort port(inner);
        QVERIFY(port.openTrace(path, nullptr));
        QVERIFY(port.open(QStringLiteral("/dev/ttyS0"), nullptr));
        // A cable that hears itself echoes the command; the write drops it unread.
        inner.onSend = [&inner](const QByteArray& text) {
            if (text == "A") {
                inner.deliver("A");
            }
        };
        QStringList frames;
        for (int k = 0; k < 16; ++k) {
            frames << QStringLiteral("%1015012461100004017").arg(k, 2, 10, QLatin1Char('0'));
        }
        LinkTiming timing;
        timing.writeTick = 1h;  // the test fires the ticks
        WriteTransfer write(port, timing);
        QSignalSpy finished(&write, &WriteTransfer::finished);
        write.start(frames);
        for (int tick = 0; tick < 17; ++tick) {
            QTest::qWait(3);
            QVERIFY(test::fireTimer(&write, "Timer1"));
        }
        QCOMPARE(finished.count(), 1);

        const QList<TraceLine> lines = readTrace(path);
        QStringList out;
        QStringList all;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                QVERIFY(lines[i].ms >= lines[i - 1].ms);
            }
            all << lines[i].direction + lines[i].text;
            if (lines[i].direction == u'>') {
                out << lines[i].text;
            }
        }
        QCOMPARE(out, QStringList{QStringLiteral("A")} + frames);
        QCOMPARE(all.mid(0, 3),
                 (QStringList{QStringLiteral(">A"), QStringLiteral("<A"), u'>' + frames[0]}));
        QVERIFY(lines.last().ms >= 16 * 3);  // milliseconds, from the start of the trace
        QCOMPARE(inner.sentText(), "A" + frames.join(QString()).toLatin1());
    }

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

        QStringList texts;
        for (const TraceLine& line : readTrace(path)) {
            texts << line.direction + (u' ' + line.text);
        }
        QCOMPARE(texts, QStringList({"> C", "< 5\\x0D\\x0A\\x00\\x5C\\xE9", "< CC", "> \\x7F"}));
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

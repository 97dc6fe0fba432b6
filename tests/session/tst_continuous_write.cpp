// A continuous write on a fake line of radios that a technician swaps as soon
// as the status line asks for the next one.

#include "channels/channel_store.h"
#include "fake_port.h"
#include "file_size_limit.h"
#include "session/continuous_write.h"
#include "session/operations_log.h"
#include "session/radio_session.h"
#include "sim/radio_engine.h"
#include "try_wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace std::chrono_literals;
using namespace qm3270;
using Outcome = ContinuousWrite::Radio::Outcome;

namespace {

constexpr auto kGone = 80ms;

// Radio k holds squelch level k in its frame 1, so its backup can be told apart.
RadioEngine radio(int k, const RadioEngine::Faults& faults = {}) {
    RadioEngine::Frames memory = RadioEngine::unprogrammedMemory();
    memory[0] = QByteArray("0") + QByteArray::number(k) + "010000861200000015";
    RadioEngine engine(memory);
    engine.setFaults(faults);
    return engine;
}

// Faults of one radio: switched off as its read begins, a memory cell that
// alters channel 3, a line that garbles its answers.
RadioEngine::Faults faulty(std::optional<int> stopAfter, std::optional<int> corrupt,
                           QByteArray noise = {}) {
    RadioEngine::Faults faults;
    faults.stopAfter = stopAfter;
    faults.corruptChannel = corrupt;
    faults.noise = std::move(noise);
    return faults;
}

struct Line {
    Line() {
        QString error;
        store = ChannelStore::open(QStringLiteral(":memory:"), &error);
        for (int row = 0; row < 16; ++row) {
            store->setField(row, kReceive, QStringLiteral("150.00000"));
            store->setField(row, kTransmit, QStringLiteral("150.00000"));
        }
        port.open(QStringLiteral("/dev/ttyUSB0"), nullptr);
        LinkTiming timing;
        timing.writeTick = timing.readyTick = timing.readArm = timing.eraserTick = 5ms;
        timing.drainPoll = 5ms;
        timing.readChannelTimeout = 200ms;
        session = std::make_unique<RadioSession>(*store, port, timing);
        session->setBackupFolder(backups.path());
        // The mode reads every radio back whatever 写后校验 says.
        session->setVerifyAfterWrite(false);
        continuous = std::make_unique<ContinuousWrite>(*session, *store, port, timing);
        continuous->setGoneAfter(kGone);
        log.follow(*session, continuous.get());
        port.onSend = [this](const QByteArray& text) {
            if (on >= 0) {
                const QByteArray answer = radios[on].receive(text);
                if (!answer.isEmpty()) {
                    QTimer::singleShot(1, &port, [this, answer] { port.deliver(answer); });
                }
                writes[on] += static_cast<int>(text.count('A') > 0 && text.size() == 1);
            }
        };
        QObject::connect(continuous.get(), &ContinuousWrite::radioDone,
                         [this](const ContinuousWrite::Radio& done) {
                             results << done;
                             // The radio stays on a while after it is done. The
                             // port carries the timers: they go with the line.
                             QTimer::singleShot(4 * kGone, &port, [this] { on = -1; });
                             QTimer::singleShot(6 * kGone, &port, [this] {
                                 on = next < radios.size() ? next++ : -1;
                             });
                         });
    }
    void play(const QList<RadioEngine>& line) {
        radios = line;
        writes = QList<int>(line.size(), 0);
        next = 1;
        on = 0;
    }
    QStringList backupFiles() const {
        return QDir(backups.path())
            .entryList({QStringLiteral("*-before-write*.doc")}, QDir::Files, QDir::Name);
    }

    QTemporaryDir backups;
    std::unique_ptr<ChannelStore> store;
    test::FakePort port;
    std::unique_ptr<RadioSession> session;
    std::unique_ptr<ContinuousWrite> continuous;
    OperationsLog log;
    QList<RadioEngine> radios;
    QList<int> writes;
    qsizetype next = 0;
    qsizetype on = -1;  // the radio switched on, -1 for none
    QList<ContinuousWrite::Radio> results;
};

}  // namespace

class ContinuousWriteTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // While the mode waits for a served radio to go, 读信道 by hand has the
    // line to itself: no poll of the mode's goes out or eats the answer.
    void readByHandWhileTheRadioIsGoing() {
        Line line;
        line.play({radio(1), radio(2)});
        QVERIFY(!line.continuous->start());
        TRY_COMPARE_WITH_TIMEOUT(line.results.size(), 1, 5000);
        std::optional<TransferEnd> read;
        QObject::connect(line.session.get(), &RadioSession::transferEnded,
                         [&read](const TransferEnd& end) {
                             if (end.kind == TransferEnd::Kind::Read) {
                                 read = end;
                             }
                         });
        line.session->startRead();
        QVERIFY(line.session->isReadingTable());
        TRY_VERIFY(read.has_value());
        QVERIFY(!read->failure);
    }

    // Five radios: one switched off as its read began, one whose memory
    // corrupts channel 3. Each is written at most once though it stays on.
    void fleetOfFive() {
        Line line;
        line.play({radio(1), radio(2, faulty(0, {})), radio(3), radio(4, faulty({}, 3)), radio(5)});
        QVERIFY(!line.continuous->start());
        TRY_COMPARE_WITH_TIMEOUT(line.results.size(), 5, 20000);
        const QList<Outcome> expected{Outcome::Verified, Outcome::NotRead, Outcome::Verified,
                                      Outcome::VerifyDiffers, Outcome::Verified};
        QStringList logged;
        for (qsizetype k = 0; k < 5; ++k) {
            QCOMPARE(line.results[k].outcome, expected[k]);
            logged << line.log.entries()[k].result;
        }
        QCOMPARE(logged,
                 (QStringList{QStringLiteral("第 1 台：写入并校验正确"),
                              QStringLiteral("第 2 台：读数错误！！（未写入）"),
                              QStringLiteral("第 3 台：写入并校验正确"),
                              QStringLiteral("第 4 台：校验错误：第 3 信道与信道表不一致！"),
                              QStringLiteral("第 5 台：写入并校验正确")}));
        QCOMPARE(line.results[3].differing, QList<int>{3});
        QCOMPARE(line.writes, (QList<int>{1, 0, 1, 1, 1}));
        QCOMPARE(std::pair(line.continuous->succeeded(), line.continuous->failed()),
                 std::pair(3, 2));
        // Each backup holds its radio's own table: squelch level k.
        const QStringList backups = line.backupFiles();
        QCOMPARE(backups.size(), 4);
        for (const int k : {1, 3, 4, 5}) {
            QVERIFY(line.results[k - 1].backupPath.endsWith(QStringLiteral(".doc")));
            QFile file(line.results[k - 1].backupPath);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll().split(',').value(0), QByteArray::number(k));
        }
    }

    // A cable pulled mid-write: that radio failed, the next is served once the
    // cable is back. A garbled answer to the backup read leaves a radio unwritten.
    void lineLostAndGarbage() {
        Line line;
        line.play({radio(1), radio(2, faulty({}, {}, "x")), radio(3)});
        line.port.onSend = [&line, play = line.port.onSend](const QByteArray& text) {
            play(text);
            if (line.on == 0 && line.writes[0] == 1 && text.size() == 20) {
                QTimer::singleShot(0, &line.port, [&line] { line.port.failLine(); });
                QTimer::singleShot(3 * kGone, &line.port, [&line] {
                    line.port.open(QStringLiteral("/dev/ttyUSB0"), nullptr);
                });
            }
        };
        QVERIFY(!line.continuous->start());
        TRY_COMPARE_WITH_TIMEOUT(line.results.size(), 3, 20000);
        QCOMPARE(line.results[0].logLine(),
                 QStringLiteral("第 1 台：串行端口出错，数据传送中断！"));
        QCOMPARE(line.results[1].outcome, Outcome::NotRead);
        QCOMPARE(line.writes[1], 0);
        QCOMPARE(line.results[2].outcome, Outcome::Verified);
    }

    // A full backup folder ends the mode before the radio is written; a table
    // the write refuses never starts it; stop() waits for the radio in hand.
    void refusalsAndStop() {
        Line line;
        line.store->setField(4, kReceive, QStringLiteral("600"));
        const auto refused = line.continuous->start();
        QVERIFY(refused && refused->text == QStringLiteral("第 5 信道数据无效，未写入对讲机！"));
        QVERIFY(!line.continuous->isOn());
        line.store->setField(4, kReceive, QStringLiteral("150.00000"));

        line.session->setBackupFolder(line.backups.filePath(QStringLiteral("full")));
        QFile blocker(
            line.backups.filePath(QStringLiteral("full")));  // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        std::optional<UserMessage> reason;
        QObject::connect(line.continuous.get(), &ContinuousWrite::ended,
                         [&reason](const std::optional<UserMessage>& why) { reason = why; });
        line.play({radio(1), radio(2)});
        QVERIFY(!line.continuous->start());
        TRY_VERIFY(!line.continuous->isOn());
        QVERIFY(reason && reason->text.startsWith(QStringLiteral("备份无法保存，操作已取消：")));
        QCOMPARE(line.writes[0], 0);

        line.session->setBackupFolder(line.backups.path());
        QVERIFY(!line.continuous->start());
        TRY_VERIFY(line.session->isWriting());
        line.continuous->stop();
        QVERIFY(line.continuous->isOn());
        TRY_VERIFY(!line.continuous->isOn());
        QCOMPARE(line.results.last().outcome, Outcome::Verified);
    }

    // The newest 1000 entries stay; the CSV opens in a spreadsheet and is
    // saved whole or not at all.
    void logKeptAndSaved() {
        OperationsLog log;
        for (int k = 1; k <= OperationsLog::kKept + 1; ++k) {
            log.add(QStringLiteral("打开"), QString::number(k));
        }
        QCOMPARE(log.rowCount(), OperationsLog::kKept);
        QCOMPARE(log.entries().constFirst().result, QStringLiteral("2"));
        log.add(QStringLiteral("保存"), QStringLiteral("x,\"y\"\nthe reason"));
        const QByteArray csv = log.csv();
        QVERIFY(csv.startsWith("\xEF\xBB\xBF" + QStringLiteral("时间,操作,结果\r\n").toUtf8()));
        QVERIFY(csv.endsWith(QStringLiteral(",保存,\"x,\"\"y\"\"\"\r\n").toUtf8()));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.csv"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const auto failure = test::failureUnderFileSizeLimit(4096, [&] {
            const auto message = log.saveCsv(path);
            return message ? message->text : QString();
        });
        QVERIFY(failure && failure->startsWith(QStringLiteral("文件保存失败！\n")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QVERIFY(!log.saveCsv(path));
    }
};

QTEST_GUILESS_MAIN(ContinuousWriteTest)
#include "tst_continuous_write.moc"

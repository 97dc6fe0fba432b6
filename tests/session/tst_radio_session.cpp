// The radio session on a fake line: what the verify after a write concludes,
// the backups around a read, and how a transfer that ends badly leaves things.

#include "channels/channel_store.h"
#include "fake_port.h"
#include "file/channel_file.h"
#include "session/radio_session.h"
#include "timer_firing.h"
#include "try_wait.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <variant>

using namespace std::chrono_literals;
using namespace qm3270;
using test::fireTimer;

namespace {

// Worked frames: squelch 7 with 150 MHz both ways and beat on; 136.0125 /
// 174 MHz on; the other channels 145.6125 both ways, off.
const QString kFrame1 = QStringLiteral("07010000861200000015");
const QString kFrame2 = QStringLiteral("01015012461100004017");

QStringList radioFrames() {
    QStringList frames{kFrame1, kFrame2};
    for (int k = 3; k <= 16; ++k) {
        frames << QString::number(k - 1).rightJustified(2, QLatin1Char('0')) +
                      QStringLiteral("005012421250125614");
    }
    return frames;
}

// The table those frames stand for, as the user would have typed it.
void typeTable(ChannelStore& store) {
    const QStringList frames = radioFrames();
    store.setField(0, kReceive, QStringLiteral("150.00000"));
    store.setField(0, kTransmit, QStringLiteral("150.00000"));
    store.setField(0, kBeat, QStringLiteral("on"));
    store.setField(1, kReceive, QStringLiteral("136.01250"));
    store.setField(1, kTransmit, QStringLiteral("174.00000"));
    store.setField(1, kBeat, QStringLiteral("on"));
    for (int row = 2; row < 16; ++row) {
        store.setField(row, kReceive, QStringLiteral("145.61250"));
        store.setField(row, kTransmit, QStringLiteral("145.61250"));
        store.setField(row, kBeat, QStringLiteral("off"));
    }
}

struct Session {
    explicit Session(const QString& dbPath = QStringLiteral(":memory:")) {
        QString error;
        store = ChannelStore::open(dbPath, &error);
        port.open(QStringLiteral("/dev/ttyS0"), nullptr);
        LinkTiming timing;  // the test fires every tick itself
        timing.writeTick = timing.eraserTick = timing.readyTick = timing.readArm = 1h;
        timing.readChannelTimeout = 200ms;
        timing.drainPoll = 5ms;
        session = std::make_unique<RadioSession>(*store, port, timing, &root);
        session->setSquelchSource([this] { return squelch; });
        QObject::connect(session.get(), &RadioSession::statusChanged,
                         [this](const QString& text) { status << text; });
        QObject::connect(session.get(), &RadioSession::message,
                         [this](const UserMessage& message) { messages << message; });
        QObject::connect(session.get(), &RadioSession::squelchRead,
                         [this](const QString& level) { squelch = level; });
    }
    // The radio answers a read with `answer`, or never when it is empty.
    void radioAnswers(const QByteArray& answer) {
        port.onSend = [this, answer](const QByteArray& text) {
            if (text == "5" && !answer.isEmpty()) {
                QTimer::singleShot(5, &port, [this, answer] { port.deliver(answer); });
            }
        };
    }
    void write() {
        session->startWrite(squelch);
        while (fireTimer(&root, "Timer1")) {
        }
    }
    void read() {
        if (!session->isReading()) {
            session->startRead();
        }
        QVERIFY(fireTimer(&root, "Timer4"));
        TRY_VERIFY_WITH_TIMEOUT(!session->isBusy(), 2000);
    }

    QObject root;
    std::unique_ptr<ChannelStore> store;
    test::FakePort port;
    std::unique_ptr<RadioSession> session;
    QString squelch = QStringLiteral("7");
    QStringList status;
    QList<UserMessage> messages;
};

enum class Trouble { DatabaseLocked, RadioSilent, PortChangedInRead, PortChangedInWrite };

// Another program holding the database's write lock while it lives.
class HeldLock {
public:
    explicit HeldLock(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
            qFatal("cannot lock the database");
        }
    }
    ~HeldLock() {
        QSqlDatabase::database(kName).close();
        QSqlDatabase::removeDatabase(kName);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    static inline const QString kName = QStringLiteral("another program");
};

QStringList backups(const QString& folder) {
    return QDir(folder + QStringLiteral("/backups")).entryList({QStringLiteral("*.doc")});
}

}  // namespace

class RadioSessionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void verifyAfterWrite_data() {
        QTest::addColumn<QStringList>("answer");  // empty: the radio stays silent
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");  // the table's and the radio's values

        QStringList changed = radioFrames();
        changed[2][19] = QLatin1Char('5');                    // channel 3's transmit
        changed[6] = QStringLiteral("06015012421250125614");  // channel 7's beat flag
        QStringList squelch = radioFrames();
        squelch[0][1] = QLatin1Char('4');  // the squelch level only
        QStringList byDesign = radioFrames();
        QTest::newRow("equal") << radioFrames() << QStringLiteral("校验正确") << QString()
                               << QString();
        QTest::newRow("channels 3 and 7 differ")
            << changed << QString() << QStringLiteral("校验错误：第 3、7 信道与信道表不一致！")
            << QStringLiteral(
                   "第 3 信道：信道表“145.61250, 145.61250, off”，"
                   "对讲机“145.61250, 155.61250, off”\n"
                   "第 7 信道：信道表“145.61250, 145.61250, off”，"
                   "对讲机“145.61250, 145.61250, on”");
        QTest::newRow("squelch differs")
            << squelch << QString() << QStringLiteral("校验错误：第 1 信道与信道表不一致！")
            << QStringLiteral(
                   "第 1 信道：信道表“静噪级别 7，150.00000, 150.00000, on”，"
                   "对讲机“静噪级别 4，150.00000, 150.00000, on”");
        QTest::newRow("no answer")
            << QStringList() << QString()
            << QStringLiteral("校验失败：对讲机无应答或数据有误，请检查连接后重新写入！")
            << QString();
        QTest::newRow("bad answer")
            << QStringList{QStringLiteral("0701x").repeated(64)} << QString()
            << QStringLiteral("校验失败：对讲机无应答或数据有误，请检查连接后重新写入！")
            << QString();
    }

    // The verify reads into memory only: whatever it finds, the table stays.
    void verifyAfterWrite() {
        QFETCH(QStringList, answer);
        QFETCH(QString, status);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        Session s;
        typeTable(*s.store);
        s.session->setVerifyAfterWrite(true);
        s.radioAnswers(answer.join(QString()).toLatin1());
        const ChannelTable before = s.store->records();

        s.write();
        TRY_VERIFY(s.session->isReading());
        QCOMPARE(s.status.constLast(), QStringLiteral("正在校验数据,,,,,,,"));
        QVERIFY(s.status.contains(QStringLiteral("数据传送完毕...")));
        s.read();

        QCOMPARE(s.store->records(), before);
        QCOMPARE(s.squelch, QStringLiteral("7"));
        QCOMPARE(s.status.constLast(), status);
        QCOMPARE(s.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(s.messages.constFirst().text, message);
            QCOMPARE(s.messages.constFirst().title, QStringLiteral("错误警告 "));
            if (!detail.isEmpty()) {
                QCOMPARE(s.messages.constFirst().detail, detail);
            }
        }
        QVERIFY(fireTimer(&s.root, "Timer3"));  // the ready watch is back
    }

    // A read over edits: the backup holds the table as it was, edits included.
    void backupBeforeARead() {
        QTemporaryDir folder;
        Session s(folder.filePath(QStringLiteral("qm3270.db")));
        s.store->setCurrentRow(4);
        s.store->setField(4, kReceive, QStringLiteral("440.00000"));  // still pending
        s.store->setField(9, kBeat, QStringLiteral("on"));
        s.squelch = QStringLiteral("2");
        const ChannelTable before = s.store->records();
        s.radioAnswers(radioFrames().join(QString()).toLatin1());

        s.read();
        QCOMPARE(s.status.constLast(), QStringLiteral("读出信道数据完毕！"));
        const QStringList saved = backups(folder.path());
        QCOMPARE(saved.size(), 1);
        QVERIFY(saved.constFirst().endsWith(QStringLiteral("-before-read.doc")));
        const auto kept =
            readChannelFile(folder.filePath(QStringLiteral("backups/")) + saved.constFirst());
        QVERIFY(std::holds_alternative<ChannelFile>(kept));
        const ChannelFile& file = std::get<ChannelFile>(kept);
        QCOMPARE(file.squelch, QStringLiteral("2"));
        for (int row = 0; row < 16; ++row) {
            for (const int column : {kReceive, kTransmit, kBeat}) {
                QCOMPARE(file.rows.at(static_cast<std::size_t>(row))[column].value_or(QString()),
                         before.at(static_cast<std::size_t>(row))[column].value_or(QString()));
            }
        }
        QCOMPARE(*s.store->record(4)[kReceive], QStringLiteral("145.61250"));
    }

    // Where no backup can be kept, the read stops before the radio hears of
    // it, changes nothing and says why.
    void unwritableBackupFolderStopsTheRead() {
        QTemporaryDir folder;
        QFile blocker(folder.filePath(QStringLiteral("backups")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Session s(folder.filePath(QStringLiteral("qm3270.db")));
        s.store->setField(3, kReceive, QStringLiteral("440.00000"));
        const ChannelTable before = s.store->records();
        s.radioAnswers(radioFrames().join(QString()).toLatin1());

        s.session->startRead();
        QVERIFY(!s.session->isBusy());
        QVERIFY(!fireTimer(&s.root, "Timer4"));
        QCOMPARE(s.port.sentText(), QByteArray());
        QCOMPARE(s.store->records(), before);
        QCOMPARE(s.squelch, QStringLiteral("7"));
        QCOMPARE(s.messages.size(), 1);
        QVERIFY(
            s.messages.constFirst().text.startsWith(QStringLiteral("备份无法保存，操作已取消：") +
                                                    folder.filePath(QStringLiteral("backups/"))));
        QVERIFY(!s.messages.constFirst().detail.isEmpty());
        QVERIFY(fireTimer(&s.root, "Timer3"));  // the ready watch polls again
    }

    void transferEndsBadly_data() {
        QTest::addColumn<Trouble>("trouble");
        QTest::addColumn<QString>("message");  // how the message begins
        const QString readFailed = QStringLiteral("读数错误！！");
        QTest::newRow("database locked by another program")
            << Trouble::DatabaseLocked << QStringLiteral("信道数据无法写入数据库：");
        QTest::newRow("radio silent") << Trouble::RadioSilent << readFailed;
        QTest::newRow("port changed during a read") << Trouble::PortChangedInRead << readFailed;
        QTest::newRow("port changed during a write")
            << Trouble::PortChangedInWrite << QStringLiteral("串行端口出错，数据传送中断！");
    }

    // Whatever ends a transfer badly, the table stays, the user hears what went
    // wrong (a database that refuses is no radio failure) and the watch runs on.
    void transferEndsBadly() {
        QFETCH(Trouble, trouble);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("qm3270.db"));
        Session s(path);
        s.store->setField(3, kReceive, QStringLiteral("440.00000"));
        const ChannelTable before = s.store->records();
        s.radioAnswers(trouble == Trouble::RadioSilent ? QByteArray()
                                                       : radioFrames().join(QString()).toLatin1());
        std::optional<HeldLock> lock;
        if (trouble == Trouble::DatabaseLocked) {
            lock.emplace(path);
        }
        if (trouble == Trouble::PortChangedInWrite) {
            s.session->startWrite(s.squelch);
            QVERIFY(fireTimer(&s.root, "Timer1"));
        } else {
            s.session->startRead();
            QVERIFY(fireTimer(&s.root, "Timer4"));
        }
        if (trouble == Trouble::PortChangedInRead || trouble == Trouble::PortChangedInWrite) {
            s.session->stopTransfers();
        }
        TRY_VERIFY_WITH_TIMEOUT(!s.session->isBusy(), 2000);

        QCOMPARE(s.store->records(), before);
        QCOMPARE(s.squelch, QStringLiteral("7"));
        QCOMPARE(s.messages.size(), 1);
        QVERIFY2(s.messages.constFirst().text.startsWith(message),
                 qPrintable(s.messages.constFirst().text));
        QCOMPARE(s.messages.constFirst().title, QStringLiteral("错误警告 "));
        QCOMPARE(s.status.constLast(), QString());
        QVERIFY(fireTimer(&s.root, "Timer3"));
    }

    // The radio has the table either way: the write still ends well.
    void writtenBackup_data() {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("saved") << false;
        QTest::newRow("folder blocked") << true;
    }
    void writtenBackup() {
        QFETCH(bool, blocked);
        QTemporaryDir folder;
        if (blocked) {
            QFile blocker(folder.filePath(QStringLiteral("backups")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        Session s(folder.filePath(QStringLiteral("qm3270.db")));
        typeTable(*s.store);
        s.write();
        TRY_VERIFY(!s.session->isBusy());
        QCOMPARE(s.status.constLast(), QStringLiteral("数据传送完毕..."));
        QCOMPARE(s.messages.size(), blocked ? 1 : 0);
        if (!blocked) {
            const QStringList saved = backups(folder.path());
            QCOMPARE(saved.size(), 1);
            QVERIFY(saved.constFirst().endsWith(QStringLiteral("-written.doc")));
        }
    }
};

QTEST_GUILESS_MAIN(RadioSessionTest)
#include "tst_radio_session.moc"

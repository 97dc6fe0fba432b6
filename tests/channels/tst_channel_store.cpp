#include "channels/channel_store.h"
#include "test_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

#include <sys/resource.h>
#include <unistd.h>

using namespace qm3270;

namespace {

// A second, independent connection to the file: what another program (or the
// next start of this one) finds on disk.
class RawFile {
public:
    explicit RawFile(const QString& path) : name_(QStringLiteral("raw-%1").arg(++counter_)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        opened_ = db.open();
    }
    ~RawFile() {
        QSqlDatabase::database(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    bool exec(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(name_));
        const bool ok = query.exec(sql);
        if (!ok) {
            qWarning() << sql << query.lastError().text();
        }
        return ok && opened_;
    }

    // Every row in stored order, as the file holds it.
    QList<ChannelRecord> rows() {
        QList<ChannelRecord> result;
        QSqlQuery query(QSqlDatabase::database(name_));
        if (!query.exec(QStringLiteral(
                R"(SELECT "信道号", "接收频率", "发送频率", "拍频" FROM "信道表" ORDER BY rowid)"))) {
            return result;
        }
        while (query.next()) {
            ChannelRecord record;
            for (int column = 0; column < kColumnCount; ++column) {
                if (!query.isNull(column)) {
                    record[column] = query.value(column).toString();
                }
            }
            result << record;
        }
        return result;
    }

private:
    static inline int counter_ = 0;
    QString name_;
    bool opened_ = false;
};

ChannelRecord channel(const QString& number, const Field& receive = QString(""),
                      const Field& transmit = QString(""), const Field& beat = QString("")) {
    ChannelRecord record;
    record[kChannelNumber] = number;
    record[kReceive] = receive;
    record[kTransmit] = transmit;
    record[kBeat] = beat;
    return record;
}

void createTable(RawFile& raw, int rows) {
    QVERIFY(raw.exec(QStringLiteral(
        R"(CREATE TABLE "信道表" ("信道号" TEXT, "接收频率" TEXT, "发送频率" TEXT, "拍频" TEXT))")));
    for (int row = 1; row <= rows; ++row) {
        QVERIFY(
            raw.exec(QStringLiteral(R"(INSERT INTO "信道表" VALUES ('%1', '%2.00000', NULL, 'on'))")
                         .arg(row)
                         .arg(130 + row)));
    }
}

enum class Leave { MoveRow, PassBegins, StoreCloses, NotCurrent };

// The ways a file refuses writes on a user's machine. A program that is only
// reading lets every row be written and refuses the COMMIT alone.
enum class Refusal {
    LockedByAnotherProgram,
    ReadByAnotherProgram,
    DiskFull,
    ReadOnlyFile,
    RowsDeleted
};

// Imposes a refusal on the database at `path` and lifts it again.
class Refuser {
public:
    Refuser(Refusal kind, const QString& path) : kind_(kind), path_(path) {}
    ~Refuser() { lift(); }
    Refuser(const Refuser&) = delete;
    Refuser& operator=(const Refuser&) = delete;

    // The store, opened as the user who meets this refusal opens it. A file
    // without write permission stops everyone but root, so root opens it as
    // nobody; SQLite then falls back to reading it, as it does for a user.
    std::unique_ptr<ChannelStore> open(QString* error) {
        if (kind_ != Refusal::ReadOnlyFile) {
            return ChannelStore::open(path_, error);
        }
        {
            auto created = ChannelStore::open(path_, error);
            if (!created) {
                return created;
            }
        }
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const bool root = geteuid() == 0;
        constexpr uid_t kNobody = 65534;
        if (root && (setegid(kNobody) != 0 || seteuid(kNobody) != 0)) {
            qFatal("cannot become nobody");
        }
        auto store = ChannelStore::open(path_, error);
        if (root && (seteuid(0) != 0 || setegid(0) != 0)) {
            qFatal("cannot become root again");
        }
        return store;
    }

    void impose() {
        switch (kind_) {
            case Refusal::LockedByAnotherProgram:
                lock_ = std::make_unique<RawFile>(path_);
                QVERIFY(lock_->exec(QStringLiteral("BEGIN EXCLUSIVE")));
                break;
            case Refusal::ReadByAnotherProgram:
                lock_ = std::make_unique<RawFile>(path_);
                QVERIFY(lock_->exec(QStringLiteral("BEGIN")));
                QVERIFY(lock_->exec(QStringLiteral(R"(SELECT count(*) FROM "信道表")")));
                break;
            case Refusal::RowsDeleted:
                QVERIFY(RawFile(path_).exec(QStringLiteral(R"(DELETE FROM "信道表")")));
                break;
            case Refusal::DiskFull: {
                // The journal of any write is larger than this; SIGXFSZ would
                // kill the process where the full disk gives an error.
                std::signal(SIGXFSZ, SIG_IGN);
                QVERIFY(getrlimit(RLIMIT_FSIZE, &saved_) == 0);
                rlimit small = saved_;
                small.rlim_cur = 1024;
                QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
                limited_ = true;
                break;
            }
            case Refusal::ReadOnlyFile:
                break;  // opened so
        }
    }

    void lift() {
        lock_.reset();
        if (limited_) {
            setrlimit(RLIMIT_FSIZE, &saved_);
            limited_ = false;
        }
    }

private:
    Refusal kind_;
    QString path_;
    std::unique_ptr<RawFile> lock_;
    rlimit saved_{};
    bool limited_ = false;
};

}  // namespace

class ChannelStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(dir_.isValid()); }

    void newFileHasSixteenNumberedRows() {
        const QString path = dir_.filePath(QStringLiteral("new/folder/qm3270.db"));
        QString error;
        {
            auto store = ChannelStore::open(path, &error);
            QVERIFY2(store, qPrintable(error));
            QCOMPARE(store->currentRow(), -1);
            QVERIFY(!store->hasPendingEdit());
        }
        RawFile raw(path);
        const QList<ChannelRecord> rows = raw.rows();
        QCOMPARE(rows.size(), kChannelCount);
        for (int row = 0; row < kChannelCount; ++row) {
            QCOMPARE(rows.at(row), channel(QString::number(row + 1)));
            QVERIFY(rows.at(row)[kReceive].has_value());  // empty text, not Null
        }
    }

    void fieldSurvivesReopen_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<Field>("value");
        QTest::newRow("Null receive") << int(kReceive) << Field();
        QTest::newRow("empty receive") << int(kReceive) << Field(QString(""));
        QTest::newRow("null QString means empty") << int(kTransmit) << Field(QString());
        QTest::newRow("any channel number") << int(kChannelNumber) << Field(QStringLiteral("七"));
    }
    void fieldSurvivesReopen() {
        QFETCH(int, column);
        QFETCH(Field, value);
        const QString path = dir_.filePath(QStringLiteral("reopen.db"));
        QFile::remove(path);
        QString error;
        {
            auto store = ChannelStore::open(path, &error);
            QVERIFY2(store, qPrintable(error));
            QVERIFY(store->setField(6, column, QStringLiteral("earlier")));
            QVERIFY(store->setField(6, column, value));
        }
        auto reopened = ChannelStore::open(path, &error);
        QVERIFY2(reopened, qPrintable(error));
        const Field stored = reopened->record(6)[column];
        QCOMPARE(stored.has_value(), value.has_value());
        QCOMPARE(stored.value_or(QStringLiteral("<Null>")),
                 value.value_or(QStringLiteral("<Null>")));
    }

    void pendingEditReachesFile_data() {
        QTest::addColumn<int>("editedRow");
        QTest::addColumn<Leave>("leave");
        QTest::addColumn<bool>("inFileAtOnce");
        QTest::newRow("grid moves to another row") << 4 << Leave::MoveRow << false;
        QTest::newRow("a pass over the table begins") << 4 << Leave::PassBegins << false;
        QTest::newRow("program exits") << 4 << Leave::StoreCloses << false;
        QTest::newRow("edit of a row that is not current") << 9 << Leave::NotCurrent << true;
    }
    void pendingEditReachesFile() {
        QFETCH(int, editedRow);
        QFETCH(Leave, leave);
        QFETCH(bool, inFileAtOnce);
        const QString path = dir_.filePath(QStringLiteral("pending.db"));
        QFile::remove(path);
        QString error;
        auto store = ChannelStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        QVERIFY(store->setCurrentRow(4));

        const QString typed = QStringLiteral("438.50000");
        QVERIFY(store->setField(editedRow, kReceive, typed));
        QCOMPARE(store->record(editedRow)[kReceive], Field(typed));
        QCOMPARE(store->hasPendingEdit(), !inFileAtOnce);
        {
            RawFile raw(path);
            QCOMPARE(raw.rows().at(editedRow)[kReceive], Field(inFileAtOnce ? typed : ""));
        }

        switch (leave) {
            case Leave::MoveRow:
                QVERIFY(store->setCurrentRow(5));
                break;
            case Leave::PassBegins:
                QVERIFY(store->commitPending());
                break;
            case Leave::StoreCloses:
                store.reset();
                break;
            case Leave::NotCurrent:
                break;
        }
        RawFile raw(path);
        QCOMPARE(raw.rows().at(editedRow)[kReceive], Field(typed));
        if (store) {
            QVERIFY(!store->hasPendingEdit());
        }
    }

    void tableIsRepairedOrKept_data() {
        QTest::addColumn<int>("storedRows");
        QTest::newRow("empty table") << 0;
        QTest::newRow("five rows") << 5;
        QTest::newRow("fifteen rows") << 15;
        QTest::newRow("sixteen rows") << 16;
        QTest::newRow("twenty rows") << 20;
    }
    void tableIsRepairedOrKept() {
        QFETCH(int, storedRows);
        const QString path = dir_.filePath(QStringLiteral("rows%1.db").arg(storedRows));
        QList<ChannelRecord> before;
        {
            RawFile raw(path);
            createTable(raw, storedRows);
            before = raw.rows();
        }
        QString error;
        auto store = ChannelStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        for (int row = 0; row < kChannelCount; ++row) {
            const ChannelRecord expected =
                row < storedRows ? before.at(row) : channel(QString::number(row + 1));
            QCOMPARE(store->record(row), expected);
        }
        // Writing every row must leave the rows beyond the sixteenth alone.
        ChannelTable all = store->records();
        for (ChannelRecord& record : all) {
            record[kBeat] = QStringLiteral("off");
        }
        QVERIFY2(store->replaceColumns(all, {kBeat}), qPrintable(store->lastError()));

        RawFile raw(path);
        const QList<ChannelRecord> after = raw.rows();
        QCOMPARE(after.size(), qMax(storedRows, kChannelCount));
        for (int row = kChannelCount; row < storedRows; ++row) {
            QCOMPARE(after.at(row), before.at(row));
        }
        QCOMPARE(after.at(kChannelCount - 1)[kBeat], Field(QStringLiteral("off")));
    }

    void unusableFileIsRefusedUntouched_data() {
        QTest::addColumn<QByteArray>("bytes");  // written as they are, when not empty
        QTest::addColumn<QString>("sql");       // else run in a fresh database
        QTest::newRow("channel file") << QByteArray("145.00000,on,\n").repeated(300) << "";
        QTest::newRow("damaged database")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(2000, 'Z') << "";
        QTest::newRow("other columns")
            << QByteArray() << R"(CREATE TABLE "信道表" ("信道号" TEXT, "频率" TEXT, "拍频" TEXT))";
        QTest::newRow("numeric columns would reformat frequencies")
            << QByteArray()
            << R"(CREATE TABLE "信道表" ("信道号" INT, "接收频率" REAL, "发送频率" REAL, "拍频" TEXT))";
        QTest::newRow("another program's database")
            << QByteArray() << "CREATE TABLE contacts (name TEXT)";
        QTest::newRow("a directory") << QByteArray() << "";
    }
    void unusableFileIsRefusedUntouched() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        const QString path =
            dir_.filePath(QStringLiteral("unusable-%1").arg(QTest::currentDataTag()));
        if (!bytes.isEmpty()) {
            QVERIFY(test::writeBytes(path, bytes));
        } else if (!sql.isEmpty()) {
            RawFile raw(path);
            QVERIFY(raw.exec(sql));
        } else {
            QVERIFY(QDir().mkpath(path));
        }
        const QByteArray before = test::fileBytes(path);
        const QStringList filesBefore = QDir(dir_.path()).entryList(QDir::AllEntries);

        QString error;
        QVERIFY(!ChannelStore::open(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(test::fileBytes(path), before);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries), filesBefore);
    }

    void replaceColumnsIsAllOrNothing() {
        const QString path = dir_.filePath(QStringLiteral("replace.db"));
        QString error;
        auto store = ChannelStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        {
            RawFile raw(path);
            QVERIFY(raw.exec(QStringLiteral(
                R"(CREATE TRIGGER refuse BEFORE UPDATE ON "信道表" WHEN NEW."拍频" = 'boom' )"
                R"(BEGIN SELECT RAISE(ABORT, 'refused'); END)")));
        }
        QVERIFY(store->setCurrentRow(2));
        QVERIFY(store->setField(2, kChannelNumber, QStringLiteral("typed")));
        const ChannelTable before = store->records();

        ChannelTable read = before;
        for (int row = 0; row < kChannelCount; ++row) {
            read.at(std::size_t(row)) =
                channel(QStringLiteral("ignored"), QStringLiteral("145.00000"),
                        QStringLiteral("150.00000"), QStringLiteral("on"));
        }
        read.at(14)[kBeat] = QStringLiteral("boom");

        QSignalSpy changes(store.get(), &ChannelStore::rowChanged);
        QVERIFY(!store->replaceColumns(read, {kReceive, kTransmit, kBeat}));
        QVERIFY(!store->lastError().isEmpty());
        QCOMPARE(store->records(), before);
        QVERIFY(store->hasPendingEdit());
        QCOMPARE(changes.count(), 0);
        {
            RawFile raw(path);
            const QList<ChannelRecord> file = raw.rows();
            for (int row = 0; row < kChannelCount; ++row) {
                QCOMPARE(file.at(row), channel(QString::number(row + 1)));
            }
        }

        read.at(14)[kBeat] = QStringLiteral("off");
        QVERIFY2(store->replaceColumns(read, {kReceive, kTransmit, kBeat}),
                 qPrintable(store->lastError()));
        QCOMPARE(changes.count(), kChannelCount);
        QVERIFY(!store->hasPendingEdit());
        RawFile raw(path);
        const QList<ChannelRecord> file = raw.rows();
        QCOMPARE(file.at(2), channel(QStringLiteral("typed"), QStringLiteral("145.00000"),
                                     QStringLiteral("150.00000"), QStringLiteral("on")));
        QCOMPARE(file.at(14)[kBeat], Field(QStringLiteral("off")));
        QCOMPARE(file.at(15)[kChannelNumber], Field(QStringLiteral("16")));
    }

    void refusedEditIsToldOnceAndKept_data() {
        QTest::addColumn<Refusal>("refusal");
        QTest::addColumn<bool>("canBeLifted");
        QTest::newRow("locked by another program") << Refusal::LockedByAnotherProgram << true;
        QTest::newRow("commit refused while another program reads")
            << Refusal::ReadByAnotherProgram << true;
        QTest::newRow("disk full") << Refusal::DiskFull << true;
        QTest::newRow("read-only file") << Refusal::ReadOnlyFile << false;
        QTest::newRow("rows deleted by another program") << Refusal::RowsDeleted << false;
    }
    void refusedEditIsToldOnceAndKept() {
        QFETCH(Refusal, refusal);
        QFETCH(bool, canBeLifted);
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
        const QString path = dir.filePath(QStringLiteral("refusing.db"));
        Refuser refuser(refusal, path);
        QString error;
        auto store = refuser.open(&error);
        QVERIFY2(store, qPrintable(error));
        QSignalSpy told(store.get(), &ChannelStore::writeRefused);
        QVERIFY(store->setCurrentRow(3));
        QVERIFY(store->setField(3, kReceive, QStringLiteral("145.00000")));
        refuser.impose();

        for (int attempt = 0; attempt < 3; ++attempt) {
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!store->setCurrentRow(4 + attempt));
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        }
        QVERIFY(!store->setField(9, kBeat, QStringLiteral("on")));  // not current: written at once
        QVERIFY(!store->commitPending());
        QCOMPARE(told.count(), 1);
        QVERIFY(!told.first().first().toString().isEmpty());
        QCOMPARE(store->record(3)[kReceive], Field(QStringLiteral("145.00000")));
        QCOMPARE(store->record(9)[kBeat], Field(QStringLiteral("on")));
        QVERIFY(store->hasPendingEdit());
        if (!canBeLifted) {
            return;
        }

        refuser.lift();
        QVERIFY2(store->commitPending(), qPrintable(store->lastError()));
        {
            RawFile raw(path);
            QCOMPARE(raw.rows().at(3)[kReceive], Field(QStringLiteral("145.00000")));
            QCOMPARE(raw.rows().at(9)[kBeat], Field(QStringLiteral("on")));
        }
        // After a write that landed, the next refusal is news again.
        refuser.impose();
        QVERIFY(!store->setField(10, kBeat, QStringLiteral("off")));
        QCOMPARE(told.count(), 2);
        // So after a read, an open or an import has replaced the table.
        refuser.lift();
        QVERIFY2(store->replaceColumns(store->records(), {kBeat}), qPrintable(store->lastError()));
        refuser.impose();
        QVERIFY(!store->setField(11, kBeat, QStringLiteral("off")));
        QCOMPARE(told.count(), 3);
        refuser.lift();
    }

    void refusedWriteKeepsTheText() {
        const QString path = dir_.filePath(QStringLiteral("refused.db"));
        QString error;
        auto store = ChannelStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        {
            RawFile raw(path);
            QVERIFY(raw.exec(QStringLiteral(
                R"(CREATE TRIGGER refuse BEFORE UPDATE ON "信道表" WHEN NEW."接收频率" = '145.00000' )"
                R"(BEGIN SELECT RAISE(ABORT, 'disk full'); END)")));
        }
        const Field typed = QStringLiteral("145.00000");
        QVERIFY(!store->setField(8, kReceive, typed));
        QVERIFY(store->lastError().contains(QStringLiteral("disk full")));
        QCOMPARE(store->record(8)[kReceive], typed);
        QVERIFY(store->hasPendingEdit());

        QVERIFY(!store->setCurrentRow(9));  // still refused, the grid moves, the text stays
        QCOMPARE(store->currentRow(), 9);
        {
            RawFile raw(path);
            QVERIFY(raw.exec(QStringLiteral("DROP TRIGGER refuse")));
        }
        QVERIFY(store->commitPending());
        RawFile raw(path);
        QCOMPARE(raw.rows().at(8)[kReceive], typed);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(ChannelStoreTest)
#include "tst_channel_store.moc"

#include "channels/channel_store.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <utility>

namespace qm3270 {

namespace {

const QString kTable = QStringLiteral("信道表");
const QStringList kColumns = {QStringLiteral("信道号"), QStringLiteral("接收频率"),
                              QStringLiteral("发送频率"), QStringLiteral("拍频")};

// Every SQLite file starts with these 16 bytes. Checking them before the driver
// sees the file keeps SQLite from ever treating someone's document as a database.
const QByteArray kSqliteHeader("SQLite format 3\0", 16);

// How long a statement waits for another program's lock on the file.
constexpr int kLockWaitMs = 500;

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

QString columnList() {
    QStringList names;
    for (const QString& column : kColumns) {
        names << quoted(column);
    }
    return names.join(QStringLiteral(", "));
}

// A QString that is null binds as SQL NULL even when the field means the empty
// text, so the empty text is always handed over as a non-null string.
QVariant bindable(const Field& field) {
    if (!field) {
        return QVariant(QMetaType::fromType<QString>());
    }
    return field->isNull() ? QVariant(QString(QLatin1StringView(""))) : QVariant(*field);
}

Field normalized(const Field& field) {
    if (field && field->isNull()) {
        return QString(QLatin1StringView(""));
    }
    return field;
}

Field fieldAt(const QSqlQuery& query, int index) {
    if (query.isNull(index)) {
        return std::nullopt;
    }
    return normalized(query.value(index).toString());
}

// SQLite's type affinity: INTEGER, REAL and NUMERIC columns turn "145.00000"
// into the number 145 and "007" into 7, which would destroy the stored texts.
bool keepsText(const QString& declaredType) {
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1StringView("INT"))) {
        return false;
    }
    if (type.contains(QLatin1StringView("CHAR")) || type.contains(QLatin1StringView("CLOB")) ||
        type.contains(QLatin1StringView("TEXT"))) {
        return true;
    }
    return type.isEmpty() || type.contains(QLatin1StringView("BLOB"));
}

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("qm3270-channel-store-%1").arg(++counter);
}

}  // namespace

struct ChannelStore::Private {
    QString path;
    QString connection;
    QSqlDatabase db;
    ChannelTable records{};
    std::array<qint64, kChannelCount> rowids{};
    std::array<bool, kChannelCount> unsaved{};  // in memory, not yet in the file
    int current = -1;
    QString lastError;
    bool refusalTold = false;  // writeRefused was emitted and nothing has been written since

    ~Private() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
    }

    static std::size_t at(int row) { return static_cast<std::size_t>(row); }

    bool fail(const QString& reason) {
        lastError = reason;
        return false;
    }
    bool fail(const QSqlQuery& query) { return fail(query.lastError().text()); }

    // Checks the database's shape and loads the first 16 rows, adding the missing
    // ones. Returns false (with lastError) for anything that is not our table.
    bool prepareTable();
    bool checkColumns();
    bool addRows(int present, bool createTable);
    int readRows();  // -1 when the table cannot be read
    bool load();

    // A writing transaction. BEGIN IMMEDIATE takes the write lock at once, so a
    // lock held by another program shows here, within one wait, and not only
    // at COMMIT after every row has been written.
    bool begin();
    bool commit();  // rolls back when the commit fails, so no transaction stays open
    bool abandon(const QString& reason);
    bool exec(const QString& sql);

    bool writeRow(int row, const ChannelRecord& record);
    // Writes the rows in memory that are not in the file yet (only `row` when
    // given) in one transaction: every row lands, or none and all stay unsaved.
    bool writeUnsaved(int row = -1);
};

bool ChannelStore::Private::exec(const QString& sql) {
    QSqlQuery query(db);
    return query.exec(sql) || fail(query);
}

bool ChannelStore::Private::begin() {
    return exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool ChannelStore::Private::commit() {
    if (exec(QStringLiteral("COMMIT"))) {
        return true;
    }
    return abandon(lastError);
}

bool ChannelStore::Private::abandon(const QString& reason) {
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return fail(reason);
}

bool ChannelStore::Private::prepareTable() {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master "
                                   "WHERE type IN ('table', 'view')"))) {
        return fail(query);
    }
    bool haveTable = false;
    bool haveOthers = false;
    while (query.next()) {
        const QString type = query.value(0).toString();
        const QString name = query.value(1).toString();
        if (name == kTable) {
            if (type != QLatin1StringView("table")) {
                return fail(QStringLiteral("%1 is not a table").arg(kTable));
            }
            haveTable = true;
        } else if (!name.startsWith(QLatin1StringView("sqlite_"))) {
            haveOthers = true;
        }
    }
    if (!haveTable) {
        // A database with tables of its own belongs to some other program;
        // quietly adding a channel table to it would change a file we do not own.
        if (haveOthers) {
            return fail(QStringLiteral("the database holds no table %1").arg(kTable));
        }
        return addRows(0, true) && load();
    }
    return checkColumns() && load();
}

bool ChannelStore::Private::checkColumns() {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(kTable)))) {
        return fail(query);
    }
    QStringList names;
    while (query.next()) {
        const QString name = query.value(1).toString();
        if (!keepsText(query.value(2).toString())) {
            return fail(QStringLiteral("column %1 of %2 does not hold text").arg(name, kTable));
        }
        names << name;
    }
    QStringList expected = kColumns;
    expected.sort();
    names.sort();
    if (names != expected) {
        return fail(QStringLiteral("table %1 has other columns than %2")
                        .arg(kTable, kColumns.join(QStringLiteral(", "))));
    }
    return true;
}

int ChannelStore::Private::readRows() {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid LIMIT %3")
                        .arg(columnList(), quoted(kTable))
                        .arg(kChannelCount))) {
        fail(query);
        return -1;
    }
    int row = 0;
    while (row < kChannelCount && query.next()) {
        rowids.at(at(row)) = query.value(0).toLongLong();
        for (int column = 0; column < kColumnCount; ++column) {
            records.at(at(row))[column] = fieldAt(query, column + 1);
        }
        ++row;
    }
    if (query.lastError().isValid()) {
        fail(query);
        return -1;
    }
    return row;
}

bool ChannelStore::Private::load() {
    int rows = readRows();
    if (rows >= 0 && rows < kChannelCount) {
        if (!addRows(rows, false)) {
            return false;
        }
        rows = readRows();
    }
    if (rows < 0) {
        return false;
    }
    if (rows < kChannelCount) {
        return fail(QStringLiteral("table %1 does not keep its rows").arg(kTable));
    }
    return true;
}

// New rows go in after the last rowid, so a repaired table keeps its rows in
// place and continues the channel count where the short one stopped.
bool ChannelStore::Private::addRows(int present, bool createTable) {
    if (!begin()) {
        return false;
    }
    QSqlQuery query(db);
    const auto abandonWith = [this, &query] { return abandon(query.lastError().text()); };
    if (createTable) {
        QStringList definitions;
        for (const QString& column : kColumns) {
            definitions << quoted(column) + QStringLiteral(" TEXT");
        }
        if (!query.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                            .arg(quoted(kTable), definitions.join(QStringLiteral(", "))))) {
            return abandonWith();
        }
    }
    query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?)")
                      .arg(quoted(kTable), columnList()));
    const QString empty(QLatin1StringView(""));
    for (int row = present; row < kChannelCount; ++row) {
        query.addBindValue(QString::number(row + 1));
        query.addBindValue(empty);
        query.addBindValue(empty);
        query.addBindValue(empty);
        if (!query.exec()) {
            return abandonWith();
        }
    }
    query.finish();
    return commit();
}

bool ChannelStore::Private::writeRow(int row, const ChannelRecord& record) {
    QSqlQuery query(db);
    QStringList assignments;
    for (const QString& column : kColumns) {
        assignments << quoted(column) + QStringLiteral(" = ?");
    }
    query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                      .arg(quoted(kTable), assignments.join(QStringLiteral(", "))));
    for (const Field& field : record.fields) {
        query.addBindValue(bindable(field));
    }
    query.addBindValue(rowids.at(at(row)));
    if (!query.exec()) {
        return fail(query);
    }
    if (query.numRowsAffected() != 1) {
        return fail(
            QStringLiteral("row %1 of %2 is gone from the database file").arg(row + 1).arg(kTable));
    }
    return true;
}

bool ChannelStore::Private::writeUnsaved(int row) {
    const auto due = [this, row](int candidate) {
        return unsaved.at(at(candidate)) && (row < 0 || candidate == row);
    };
    bool any = false;
    for (int candidate = 0; candidate < kChannelCount; ++candidate) {
        any = any || due(candidate);
    }
    if (!any) {
        return true;
    }
    // One transaction for all of them: a locked file costs one wait, not one
    // per row, and the rows never land half.
    if (!begin()) {
        return false;
    }
    for (int candidate = 0; candidate < kChannelCount; ++candidate) {
        if (due(candidate) && !writeRow(candidate, records.at(at(candidate)))) {
            return abandon(lastError);
        }
    }
    if (!commit()) {
        return false;
    }
    for (int candidate = 0; candidate < kChannelCount; ++candidate) {
        if (due(candidate)) {
            unsaved.at(at(candidate)) = false;
        }
    }
    refusalTold = false;
    return true;
}

std::unique_ptr<ChannelStore> ChannelStore::open(const QString& path, QString* error) {
    const auto refuse = [error](const QString& reason) {
        if (error) {
            *error = reason;
        }
        return std::unique_ptr<ChannelStore>();
    };

    bool madeFile = false;
    if (path != QLatin1StringView(":memory:")) {
        const QFileInfo info(path);
        if (info.exists()) {
            if (!info.isFile()) {
                return refuse(QStringLiteral("%1 is not a file").arg(path));
            }
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                return refuse(file.errorString());
            }
            // An empty file holds nothing to lose; SQLite takes it as a new database.
            if (file.size() != 0 && file.read(kSqliteHeader.size()) != kSqliteHeader) {
                return refuse(QStringLiteral("%1 is not an SQLite database").arg(path));
            }
        } else {
            if (!QDir().mkpath(info.absolutePath())) {
                return refuse(
                    QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
            }
            madeFile = true;
        }
    }

    auto d = std::make_unique<Private>();
    d->path = path;
    d->connection = nextConnectionName();
    d->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connection);
    d->db.setDatabaseName(path);
    // Another program may hold the file locked (a backup tool, a database
    // browser). The driver's default is to wait 5 s, all that time with the
    // window frozen; half a second covers a short transaction of someone else's
    // and then the write is refused and kept pending instead.
    d->db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockWaitMs));
    const bool ready = d->db.open() ? d->prepareTable() : d->fail(d->db.lastError().text());
    if (!ready) {
        const QString reason = d->lastError;
        d.reset();
        if (madeFile) {
            QFile::remove(path);
        }
        return refuse(reason);
    }
    return std::unique_ptr<ChannelStore>(new ChannelStore(std::move(d)));
}

QString ChannelStore::defaultPath() {
    // Built from the generic folder so that the file stays where it is whatever
    // name and organisation the running program gives itself.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        return QStringLiteral("qm3270.db");
    }
    return base + QStringLiteral("/qm3270/qm3270.db");
}

ChannelStore::ChannelStore(std::unique_ptr<Private> d) : d_(std::move(d)) {}

ChannelStore::~ChannelStore() {
    // Closing the window must not lose what was typed into the current row. The
    // window commits before it closes and keeps a table the file refuses as a
    // backup; this is the last try, and there is nobody left to tell.
    if (!d_->writeUnsaved()) {
        qWarning("qm3270: channel edits not written to %s: %s", qUtf8Printable(d_->path),
                 qUtf8Printable(d_->lastError));
    }
}

QString ChannelStore::path() const {
    return d_->path;
}

const ChannelRecord& ChannelStore::record(int row) const {
    return d_->records.at(Private::at(row));
}

ChannelTable ChannelStore::records() const {
    return d_->records;
}

int ChannelStore::currentRow() const {
    return d_->current;
}

bool ChannelStore::setCurrentRow(int row) {
    if (row < 0 || row >= kChannelCount) {
        row = -1;
    }
    if (row == d_->current) {
        return true;
    }
    // The grid has already moved; a refused write must not hold the cursor back,
    // it keeps the edit pending for the next commit instead.
    const bool written = writeKept();
    d_->current = row;
    Q_EMIT currentRowChanged(row);
    return written;
}

bool ChannelStore::hasPendingEdit() const {
    for (const bool unsaved : d_->unsaved) {
        if (unsaved) {
            return true;
        }
    }
    return false;
}

bool ChannelStore::commitPending() {
    return writeKept();
}

bool ChannelStore::writeKept(int row) {
    if (d_->writeUnsaved(row)) {
        return true;
    }
    // Every row change retries, and would repeat the message while the file
    // stays locked or full; the user hears of it once, and again only after
    // the file has taken a write in between.
    if (!d_->refusalTold) {
        d_->refusalTold = true;
        Q_EMIT writeRefused(d_->lastError);
    }
    return false;
}

bool ChannelStore::setField(int row, int column, const Field& value) {
    if (row < 0 || row >= kChannelCount || column < 0 || column >= kColumnCount) {
        return d_->fail(QStringLiteral("no field %1 in row %2").arg(column).arg(row + 1));
    }
    const std::size_t index = Private::at(row);
    ChannelRecord& record = d_->records.at(index);
    const Field newValue = normalized(value);
    const bool changed = record[column] != newValue;
    if (changed) {
        record[column] = newValue;
        d_->unsaved.at(index) = true;
    }
    if (changed) {
        Q_EMIT rowChanged(row);
    }
    return row == d_->current || writeKept(row);
}

bool ChannelStore::replaceColumns(const ChannelTable& rows, std::initializer_list<int> columns) {
    ChannelTable next = d_->records;
    for (const int column : columns) {
        if (column < 0 || column >= kColumnCount) {
            return d_->fail(QStringLiteral("no column %1").arg(column));
        }
        for (std::size_t row = 0; row < next.size(); ++row) {
            next.at(row)[column] = normalized(rows.at(row)[column]);
        }
    }

    // Every row is written in full, so a pending edit lands in the same
    // transaction: the file ends up exactly as memory, or as it was.
    if (!d_->begin()) {
        return false;
    }
    for (int row = 0; row < kChannelCount; ++row) {
        if (!d_->writeRow(row, next.at(Private::at(row)))) {
            return d_->abandon(d_->lastError);
        }
    }
    if (!d_->commit()) {
        return false;
    }

    d_->refusalTold = false;
    const ChannelTable previous = std::exchange(d_->records, next);
    d_->unsaved.fill(false);
    for (int row = 0; row < kChannelCount; ++row) {
        if (previous.at(Private::at(row)) != next.at(Private::at(row))) {
            Q_EMIT rowChanged(row);
        }
    }
    return true;
}

QString ChannelStore::lastError() const {
    return d_->lastError;
}

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"

#include <QObject>
#include <QString>

#include <initializer_list>
#include <memory>

namespace qm3270 {

// The 16 channels in the SQLite table 信道表, with the grid's current row as the
// one cursor. An edit of the current row stays pending until the row changes,
// a pass over the table begins (commitPending) or the store closes; an edit of
// any other row, and every multi-row change, is written at once, the latter in
// one transaction. Rows are addressed by position 0..15 in stored (rowid) order.
//
// A write the database refuses (read-only file, full disk, a lock another
// program holds longer than half a second) never loses the text: it stays in
// memory as a pending edit, the call returns false with the reason in
// lastError(), and every later commit tries it again. No statement waits
// longer than half a second for a lock, so the window never freezes for long.
class ChannelStore : public QObject {
    Q_OBJECT

public:
    // Opens (or creates, with rows "1".."16" and empty fields) the database at
    // `path`; ":memory:" works for tests. A table with fewer than 16 rows gets the
    // missing ones; extra rows are kept but ignored. A file that is not a usable
    // database is left untouched: nullptr and the reason in `error`. Unusable is
    // anything that is not an SQLite file (an empty file counts as a new one),
    // a 信道表 whose columns are not exactly 信道号, 接收频率, 发送频率, 拍频 with
    // text-keeping types, and a database of some other program (tables, but no
    // 信道表): the store never adds its table beside someone else's data.
    static std::unique_ptr<ChannelStore> open(const QString& path, QString* error);

    // <per-user data folder>/qm3270/qm3270.db, e.g. ~/.local/share/qm3270/qm3270.db,
    // whatever the application's name.
    static QString defaultPath();

    ~ChannelStore() override;  // commits a pending edit

    QString path() const;

    const ChannelRecord& record(int row) const;  // includes a pending edit; row 0..15
    ChannelTable records() const;

    int currentRow() const;       // -1 when there is none
    bool setCurrentRow(int row);  // commits the pending edit of the row left;
                                  // a row outside 0..15 means no current row
    bool hasPendingEdit() const;  // something in memory is not in the file yet
    bool commitPending();         // false: the database refused; the edit stays pending

    // Sets one field. On the current row the change is pending; elsewhere it is
    // written at once. Returns false when the database refused the write (the
    // value is kept, pending) or the row or column does not exist.
    bool setField(int row, int column, const Field& value);

    // Replaces the given columns of all 16 rows in one transaction, together with
    // any pending edit. Nothing changes, in the file or in memory, when it fails;
    // the new rows are dropped, not kept, so the caller tells the user itself
    // (writeRefused is not emitted for it).
    bool replaceColumns(const ChannelTable& rows, std::initializer_list<int> columns);

    QString lastError() const;

Q_SIGNALS:
    void rowChanged(int row);  // a field of this row changed (pending or written)
    void currentRowChanged(int row);
    // Edits are kept in memory because the file refused them. Emitted at the
    // first refusal, and after that only once the file has taken a write again.
    void writeRefused(const QString& reason);

private:
    struct Private;
    explicit ChannelStore(std::unique_ptr<Private> d);
    bool writeKept(int row = -1);  // writes what is unsaved (only `row` when given)
    std::unique_ptr<Private> d_;
};

}  // namespace qm3270

#pragma once

#include "channels/user_message.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace qm3270 {

class ContinuousWrite;
class RadioSession;

// What this run of the program did, newest last: each read, write, verify,
// open, save, import, export, print, restore, port change, lost and returned
// line, and each radio of a continuous write, with its time and its outcome.
// Only the newest kKept entries stay. Columns "时间", "操作", "结果".
class OperationsLog : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kKept = 1000;

    struct Entry {
        QDateTime time;
        QString operation;  // "读信道", "写信道", "校验", "打开", "连续写入", ...
        QString result;     // the status text or the first line of the message
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The session's reads, writes and verifies; with a continuous write, its
    // radios, each as one entry in place of the transfers that served it.
    void follow(const RadioSession& session, const ContinuousWrite* continuous = nullptr);

    void add(const QString& operation, const QString& result,
             const QDateTime& time = QDateTime::currentDateTime());
    // An operation that ended with `failure`, or with `done` when there is none.
    void add(const QString& operation, const std::optional<UserMessage>& failure,
             const QString& done);
    const QList<Entry>& entries() const { return entries_; }

    // The log as a spreadsheet opens it: UTF-8 with a byte order mark, a header
    // line, CRLF line ends, values quoted where they must be.
    QByteArray csv() const;
    // Saves csv() whole or not at all; the message says why it could not.
    std::optional<UserMessage> saveCsv(const QString& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<Entry> entries_;
};

}  // namespace qm3270

#include "session/operations_log.h"

#include "file/messages.h"
#include "file/whole_file.h"
#include "session/continuous_messages.h"
#include "session/continuous_write.h"
#include "session/radio_session.h"

#include <array>

namespace qm3270 {

namespace {

constexpr std::array<const char16_t*, 3> kHeaders{u"时间", u"操作", u"结果"};

QString operationName(TransferEnd::Kind kind) {
    switch (kind) {
        case TransferEnd::Kind::Read:
            return QStringLiteral("读信道");
        case TransferEnd::Kind::Write:
            return QStringLiteral("写信道");
        case TransferEnd::Kind::Verify:
            return QStringLiteral("校验");
        case TransferEnd::Kind::RadioRead:
            break;
    }
    return {};
}

QString csvValue(const QString& value) {
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') &&
        !value.contains(u'\r')) {
        return value;
    }
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

}  // namespace

void OperationsLog::follow(const RadioSession& session, const ContinuousWrite* continuous) {
    connect(&session, &RadioSession::transferEnded, this,
            [this, continuous](const TransferEnd& end) {
                // A radio read serves only a continuous write, which logs its radios itself.
                if (end.kind == TransferEnd::Kind::RadioRead ||
                    (continuous != nullptr && continuous->isServing())) {
                    return;
                }
                add(operationName(end.kind), end.failure, end.status);
            });
    if (continuous != nullptr) {
        connect(continuous, &ContinuousWrite::radioDone, this,
                [this](const ContinuousWrite::Radio& radio) {
                    add(QString::fromUtf16(continuous_messages::kOperation), radio.logLine());
                });
    }
}

void OperationsLog::add(const QString& operation, const QString& result, const QDateTime& time) {
    if (entries_.size() >= kKept) {
        beginRemoveRows({}, 0, 0);
        entries_.removeFirst();
        endRemoveRows();
    }
    const auto row = static_cast<int>(entries_.size());
    beginInsertRows({}, row, row);
    // One line a result: a message's reason stays in its box.
    entries_.append({time, operation, result.section(u'\n', 0, 0)});
    endInsertRows();
}

void OperationsLog::add(const QString& operation, const std::optional<UserMessage>& failure,
                        const QString& done) {
    add(operation, failure ? failure->text : done);
}

QByteArray OperationsLog::csv() const {
    QString text;
    QStringList header;
    for (const char16_t* name : kHeaders) {
        header << QString::fromUtf16(name);
    }
    text += header.join(u',') + QStringLiteral("\r\n");
    for (const Entry& entry : entries_) {
        text += entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u',' +
                csvValue(entry.operation) + u',' + csvValue(entry.result) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

std::optional<UserMessage> OperationsLog::saveCsv(const QString& path) const {
    if (const auto reason = writeFileWhole(path, csv())) {
        return UserMessage{QString::fromUtf16(file_messages::kSaveFailed) + u'\n' + *reason,
                           QString::fromUtf16(file_messages::kErrorTitle),
                           UserMessage::Icon::Information};
    }
    return std::nullopt;
}

int OperationsLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int OperationsLog::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kHeaders.size());
}

QVariant OperationsLog::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entries_.size()) {
        return {};
    }
    const Entry& entry = entries_.at(index.row());
    switch (index.column()) {
        case 0:
            return entry.time.toString(QStringLiteral("HH:mm:ss"));
        case 1:
            return entry.operation;
        case 2:
            return entry.result;
        default:
            return {};
    }
}

QVariant OperationsLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(kHeaders.size())) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf16(kHeaders.at(static_cast<std::size_t>(section)));
}

}  // namespace qm3270

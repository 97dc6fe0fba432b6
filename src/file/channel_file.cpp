#include "file/channel_file.h"

#include "channels/numbers.h"
#include "file/messages.h"
#include "file/whole_file.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace qm3270 {

namespace {

constexpr QChar kSeparator = u',';
constexpr QChar kQuote = u'"';

UserMessage errorMessage(const QString& text, const QString& detail = {}) {
    return {text, QString::fromUtf16(file_messages::kErrorTitle), UserMessage::Icon::Information,
            detail};
}

bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// A value that would split into two, or swallow its neighbour, goes inside
// quotes; an inner quote is doubled.
bool wouldSplit(const QString& value) {
    return value.contains(kSeparator) || value.contains(kQuote) || value.contains(u'\n') ||
           value.contains(u'\r');
}

// The reader skips blanks ahead of a value, so " on" would come back "on" and
// turn the beat on; inside quotes it keeps them. Only blanks around other text
// need this: the two-blank beat "  " stands for not programmed and comes back
// empty either way.
bool wouldLoseBlanks(const QString& value) {
    const QString trimmed = value.trimmed();
    return !trimmed.isEmpty() && trimmed.size() != value.size();
}

QString quoted(const QString& value) {
    QString inner = value;
    inner.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + inner + kQuote;
}

QString fieldText(const Field& field) {
    if (!field) {
        return QStringLiteral("Null");
    }
    return wouldSplit(*field) || wouldLoseBlanks(*field) ? quoted(*field) : *field;
}

// The squelch text keeps its blanks unquoted ("  3" is the list's own form of 3).
QString squelchText(const QString& squelch) {
    return wouldSplit(squelch) ? quoted(squelch) : squelch;
}

// Files written on older Windows machines are in the Chinese code page; a
// byte run that is neither UTF-8 nor that is shown byte for byte.
QString decodeBytes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder chinese("GB18030", QStringConverter::Flag::Stateless);
    if (chinese.isValid()) {
        text = chinese.decode(bytes);
        if (!chinese.hasError()) {
            return text;
        }
    }
    return QString::fromLatin1(bytes);
}

struct Value {
    QString text;
    bool quoted = false;
};

// Values end at a ',' or a line end (CR, LF or CRLF). A line end right after
// a ',' belongs to that ',', so a file with one "value," per line reads the
// same as the one-line form, while an empty line is an empty value. Leading
// blanks are skipped; a value in double quotes is taken as it stands, with
// "" inside it meaning one quote and anything after the closing quote ignored.
QList<Value> splitValues(QStringView text) {
    QList<Value> values;
    const qsizetype size = text.size();
    qsizetype i = 0;
    auto skipLineEnd = [&] {
        if (i < size && text[i] == u'\r') {
            ++i;
        }
        if (i < size && text[i] == u'\n') {
            ++i;
        }
    };
    bool afterSeparator = false;
    while (true) {
        while (i < size && text[i].isSpace() && !isLineEnd(text[i])) {
            ++i;
        }
        if (i == size) {
            break;
        }
        if (afterSeparator && isLineEnd(text[i])) {
            skipLineEnd();
            afterSeparator = false;
            continue;
        }
        Value value;
        if (text[i] == kQuote) {
            value.quoted = true;
            for (++i; i < size; ++i) {
                if (text[i] == kQuote) {
                    if (i + 1 < size && text[i + 1] == kQuote) {
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
                value.text += text[i];
            }
            while (i < size && text[i] != kSeparator && !isLineEnd(text[i])) {
                ++i;
            }
        } else {
            const qsizetype start = i;
            while (i < size && text[i] != kSeparator && !isLineEnd(text[i])) {
                ++i;
            }
            value.text = text.mid(start, i - start).toString();
        }
        values << value;
        afterSeparator = i < size && text[i] == kSeparator;
        if (afterSeparator) {
            ++i;
        } else {
            skipLineEnd();
        }
    }
    return values;
}

// A field value that is a number and nothing else (by the same reading as
// every other number: "145.5", "0145.5", "-1", "1e2", " 145.5 "), quoted or
// not, is stored in the grid's form ("0145.5" becomes "145.50000"); anything
// else is kept as it came ("on", "Null", "145.5MHz", " on" from inside quotes).
// What saving quotes is never a number, so it still comes back as it was.
QString fieldValue(const Value& value) {
    if (const auto number = numberValue(value.text)) {
        return frequencyText(*number);
    }
    return value.text.isEmpty() ? QStringLiteral("") : value.text;
}

// Line ends and tabs occur in hand-written channel files; any other control
// byte (a NUL above all) means a picture, a program or a word processor's
// document, never a table.
// Returns the 1-based position of the first such byte, 0 when there is none.
qsizetype firstControlByte(const QByteArray& bytes) {
    const auto found = std::find_if(bytes.cbegin(), bytes.cend(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7f;
    });
    return found == bytes.cend() ? 0 : (found - bytes.cbegin()) + 1;
}

UserMessage badFormat(const QString& reason) {
    return errorMessage(QString::fromUtf16(file_messages::kBadFormat), reason);
}

// The file and why, for the detailed text of a message about it.
QString fileReason(const QString& path, const QString& reason) {
    return QString::fromUtf16(file_messages::kFileReason).arg(path, reason);
}

}  // namespace

QString formatChannelFile(const QString& squelch, const ChannelTable& rows) {
    QString text = squelchText(squelch) + kSeparator;
    for (const ChannelRecord& row : rows) {
        for (int column : {kReceive, kTransmit, kBeat}) {
            text += fieldText(row[column]) + kSeparator;
        }
    }
    return text;
}

std::variant<ChannelFile, UserMessage> parseChannelFile(const QByteArray& bytes) {
    if (bytes.size() > kChannelFileMaxBytes) {
        return badFormat(QString::fromUtf16(file_messages::kTooLarge));
    }
    if (const qsizetype position = firstControlByte(bytes)) {
        return badFormat(QString::fromUtf16(file_messages::kControlByte).arg(position));
    }
    const QList<Value> values = splitValues(decodeBytes(bytes));
    if (values.size() < kChannelFileValues) {
        return badFormat(QString::fromUtf16(file_messages::kTooFewValues).arg(values.size()));
    }
    ChannelFile file;
    file.squelch = values.front().text.isEmpty() ? QStringLiteral("") : values.front().text;
    qsizetype next = 1;
    for (ChannelRecord& row : file.rows) {
        for (int column : {kReceive, kTransmit, kBeat}) {
            row[column] = fieldValue(values.at(next++));
        }
    }
    return file;
}

std::variant<ChannelFile, UserMessage> readChannelFile(const QString& path) {
    // A channel file is a few hundred bytes: no more than the limit and one
    // byte is ever read.
    auto read = readFileUpTo(path, kChannelFileMaxBytes);
    if (const auto* reason = std::get_if<QString>(&read)) {
        return errorMessage(QString::fromUtf16(file_messages::kCannotOpen),
                            fileReason(path, *reason));
    }
    auto parsed = parseChannelFile(std::get<QByteArray>(read));
    if (auto* refused = std::get_if<UserMessage>(&parsed)) {
        refused->detail = fileReason(path, refused->detail);
    }
    return parsed;
}

std::optional<QString> writeChannelFile(const QString& path, const QString& squelch,
                                        const ChannelTable& rows) {
    return writeFileWhole(path, formatChannelFile(squelch, rows).toUtf8());
}

std::optional<UserMessage> saveChannelFile(const QString& path, const QString& squelch,
                                           const ChannelTable& rows) {
    if (const auto reason = writeChannelFile(path, squelch, rows)) {
        return errorMessage(QString::fromUtf16(file_messages::kSaveFailed) + u'\n' + *reason,
                            fileReason(path, *reason));
    }
    return std::nullopt;
}

}  // namespace qm3270

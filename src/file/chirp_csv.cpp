#include "file/chirp_csv.h"

#include "channels/edit_rules.h"
#include "channels/numbers.h"
#include "file/csv_records.h"
#include "file/messages.h"
#include "file/whole_file.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>

namespace qm3270 {

namespace {

constexpr qsizetype kLargestFile = qsizetype{1024} * 1024;  // a 16-channel list is a few KiB
constexpr double kStepsPerMHz = 100000.0;                   // the radio counts in 10 Hz steps
constexpr double kRaster5kHzSteps = 500.0;
constexpr double kRaster6250HzSteps = 625.0;
constexpr double kLargestOffsetSteps = 70.0 * kStepsPerMHz;  // beyond it: "split"

// CHIRP's columns in CHIRP's order, without Power: the radio has no power
// levels, and CHIRP's reader gives a file without the column its default.
constexpr std::array<const char*, 20> kColumns = {
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",  "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",  "TStep",
    "Skip",      "Comment",  "URCALL",       "RPT1CALL",   "RPT2CALL",  "DVCODE"};

const QString kLocation = QStringLiteral("Location");
const QString kFrequency = QStringLiteral("Frequency");
const QString kDuplex = QStringLiteral("Duplex");
const QString kOffset = QStringLiteral("Offset");
const QString kComment = QStringLiteral("Comment");

QString text(const char16_t* format) {
    return QString::fromUtf16(format);
}

// ---- export ----------------------------------------------------------------

// A frequency field as the radio takes it: the number it begins with, 0 for
// an unprogrammed one, counted in whole 10 Hz steps.
double stepsOf(const Field& field) {
    return field ? std::nearbyint(leadingNumber(*field) * kStepsPerMHz) : 0.0;
}

// Whole 10 Hz steps as MHz with six decimals: 46256250 steps is "462.562500".
// Built from the digits of the step count, so no float format can round it.
QString megahertzText(double steps) {
    QString digits = QString::number(std::fabs(steps), 'f', 0);
    if (digits.size() < 6) {
        digits = digits.rightJustified(6, u'0');
    }
    digits.insert(digits.size() - 5, u'.');
    return (steps < 0 ? QStringLiteral("-") : QString()) + digits + u'0';
}

// The level a write sends for the squelch text, by the leading-number rule
// ("05" and " 5" are 5); nothing when the text holds no level from 0 to 9.
std::optional<int> squelchLevel(const QString& squelch) {
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    static const QRegularExpression number(QStringLiteral("^[+-]?\\.?[0-9]"));
    if (!number.match(QString(squelch).remove(blanks)).hasMatch()) {
        return std::nullopt;  // "", "x": no number, though it reads as 0
    }
    const double level = leadingNumber(squelch);
    if (level < 0.0 || level > 9.0 || level != std::floor(level)) {
        return std::nullopt;
    }
    return static_cast<int>(level);
}

QString tuningStep(double receiveSteps) {
    if (std::fmod(receiveSteps, kRaster5kHzSteps) != 0.0 &&
        std::fmod(receiveSteps, kRaster6250HzSteps) == 0.0) {
        return QStringLiteral("6.25");
    }
    return QStringLiteral("5.00");
}

QString csvRow(int location, const ChannelRecord& row) {
    const double receive = stepsOf(row[kReceive]);
    const double transmit = stepsOf(row[kTransmit]);
    QString duplex;
    double offset = 0.0;
    if (transmit == 0.0) {
        duplex = QStringLiteral("off");
    } else if (std::fabs(transmit - receive) <= kLargestOffsetSteps) {
        if (transmit != receive) {
            duplex = transmit > receive ? QStringLiteral("+") : QStringLiteral("-");
        }
        offset = std::fabs(transmit - receive);
    } else {
        duplex = QStringLiteral("split");
        offset = transmit;
    }
    const bool beatOn = row[kBeat] == QStringLiteral("on");
    const QStringList values = {
        QString::number(location),
        QString(),  // Name: the radio keeps none
        megahertzText(receive),
        duplex,
        megahertzText(offset),
        QString(),  // Tone: none, and the tone values below are CHIRP's neutral ones
        QStringLiteral("88.5"),
        QStringLiteral("88.5"),
        QStringLiteral("023"),
        QStringLiteral("NN"),
        QStringLiteral("023"),
        QStringLiteral("Tone->Tone"),
        QStringLiteral("FM"),
        tuningStep(receive),
        QString(),  // Skip
        beatOn ? QStringLiteral("beat=on") : QStringLiteral("beat=off"),
        QString(),
        QString(),
        QString(),
        QString(),
    };
    return values.join(u',');
}

// ---- import ----------------------------------------------------------------

// Windows-1252 is Latin-1 but for 0x80..0x9F; its five unassigned bytes stay
// the control characters of the same value, as Windows itself maps them.
QString fromWindows1252(const QByteArray& bytes) {
    static constexpr std::array<char16_t, 32> k80to9F = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text += (code >= 0x80 && code <= 0x9F) ? QChar(k80to9F.at(code - 0x80u)) : QChar(code);
    }
    return text;
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

ChannelTable unprogrammedTable() {
    ChannelTable rows;
    const QString empty = QStringLiteral("");
    for (ChannelRecord& row : rows) {
        row[kReceive] = empty;
        row[kTransmit] = empty;
        row[kBeat] = empty;
    }
    return rows;
}

// One row of the list as read: where it asks to go and what it holds.
struct ListedRow {
    int line = 0;
    int location = 0;
    ChannelRecord channel;
    QString cannotHold;  // why the radio cannot hold it (a frequency, a Duplex); empty: it can

    bool programmed() const { return !channel[kReceive]->isEmpty(); }
};

class Importer {
public:
    std::variant<CsvImport, CsvRefusal> run(const QList<CsvRecord>& records);

private:
    bool readHeader(const CsvRecord& record);
    void readSquelch(const CsvRecord& comment);
    void readRow(const CsvRecord& record);
    // The row, or nothing when it cannot be read and a reason has been given.
    std::optional<ListedRow> readChannel(const CsvRecord& record);
    void readTransmit(ListedRow& listed, const CsvRecord& record, double receive);
    QString value(const CsvRecord& record, const QString& column) const;
    // A frequency value in MHz ("146.52", "146.520000", "146.52 MHz",
    // "146520 kHz"; empty is 0), or nothing when a reason has been given.
    std::optional<double> megahertz(const CsvRecord& record, const QString& column);
    // The grid's rule for `column` on `row`, whose field holds `megahertz`;
    // the reason it refused the value (out of range), or nothing.
    QString applyGridRule(ChannelRecord& row, int column, double megahertz, const CsvRecord& record,
                          const QString& csvColumn, const char16_t* outOfRange) const;
    // `fits`: a reason that taking the list as far as it fits overcomes.
    void refuse(const QString& reason, bool refusedData = false, bool fits = false) {
        refusal_.reasons << CsvRefusal::Reason{reason, refusedData};
        unreadable_ = unreadable_ || !fits;
    }
    CsvImport placed() const;
    std::optional<CsvFit> fitted() const;

    CsvRefusal refusal_;
    bool unreadable_ = false;
    QList<ListedRow> listed_;
    std::optional<QString> squelch_;
    QHash<QString, qsizetype> columns_;
    qsizetype headerSize_ = 0;
    QHash<int, int> seenOnLine_;  // location -> the line that gave it
    int squelchLine_ = 0;
};

std::variant<CsvImport, CsvRefusal> Importer::run(const QList<CsvRecord>& records) {
    bool haveHeader = false;
    int lastLine = 1;
    for (const CsvRecord& record : records) {
        lastLine = record.line;
        if (record.unterminatedQuote) {
            refuse(text(file_messages::kCsvOpenQuote).arg(record.line));
        } else if (record.comment) {
            readSquelch(record);
        } else if (!haveHeader) {
            haveHeader = true;
            if (!readHeader(record)) {
                return refusal_;
            }
        } else {
            readRow(record);
        }
    }
    if (!haveHeader && refusal_.reasons.isEmpty()) {
        refuse(records.isEmpty() ? text(file_messages::kCsvEmpty)
                                 : text(file_messages::kCsvNoHeader).arg(lastLine));
    }
    if (refusal_.reasons.isEmpty()) {
        return placed();
    }
    if (!unreadable_) {
        refusal_.fit = fitted();
    }
    return refusal_;
}

CsvImport Importer::placed() const {
    CsvImport result{unprogrammedTable(), squelch_};
    for (const ListedRow& listed : listed_) {
        result.rows.at(static_cast<std::size_t>(listed.location - 1)) = listed.channel;
    }
    return result;
}

std::optional<CsvFit> Importer::fitted() const {
    QList<const ListedRow*> byLocation;
    for (const ListedRow& listed : listed_) {
        byLocation << &listed;
    }
    std::sort(byLocation.begin(), byLocation.end(),
              [](const ListedRow* a, const ListedRow* b) { return a->location < b->location; });
    CsvFit fit{{unprogrammedTable(), squelch_}, {}};
    QMap<int, QString> leftOut;  // by line
    std::size_t taken = 0;
    for (const ListedRow* listed : byLocation) {
        QString why = listed->cannotHold;
        if (why.isEmpty() && !listed->programmed()) {
            why = text(file_messages::kCsvNoFrequency).arg(listed->line);
        } else if (why.isEmpty() && taken == fit.fitted.rows.size()) {
            why = text(file_messages::kCsvBeyondSixteen).arg(listed->line).arg(listed->location);
        }
        if (why.isEmpty()) {
            fit.fitted.rows.at(taken++) = listed->channel;
        } else {
            leftOut.insert(listed->line, why);
        }
    }
    if (taken == 0) {
        return std::nullopt;  // nothing to take: the refusal says why
    }
    fit.leftOut = leftOut.values();
    return fit;
}

bool Importer::readHeader(const CsvRecord& record) {
    headerSize_ = record.values.size();
    for (qsizetype i = 0; i < headerSize_; ++i) {
        const QString name = record.values.at(i).trimmed();
        if (!name.isEmpty() && columns_.contains(name)) {
            refuse(text(file_messages::kCsvColumnTwice).arg(record.line).arg(name));
            return false;
        }
        columns_.insert(name, i);
    }
    for (const QString& required : {kLocation, kFrequency}) {
        if (columns_.contains(required)) {
            continue;
        }
        // A spreadsheet set to a comma-decimal locale writes ';' between values.
        if (record.values.join(u',').contains(u';')) {
            refuse(text(file_messages::kCsvSemicolons).arg(record.line));
        } else {
            refuse(text(file_messages::kCsvNoColumn).arg(record.line).arg(required));
        }
        return false;
    }
    return true;
}

void Importer::readSquelch(const CsvRecord& comment) {
    static const QRegularExpression squelchLine(QStringLiteral("^\\s*squelch\\s*=(.*)$"),
                                                QRegularExpression::CaseInsensitiveOption);
    const auto match = squelchLine.match(comment.values.value(0));
    if (!match.hasMatch()) {
        return;  // any other comment is the user's own
    }
    if (squelchLine_ != 0) {
        refuse(text(file_messages::kCsvSquelchTwice).arg(comment.line).arg(squelchLine_), true);
        return;
    }
    squelchLine_ = comment.line;
    const QString level = match.captured(1).trimmed();
    static const QRegularExpression oneDigit(QStringLiteral("^[0-9]$"));
    if (!oneDigit.match(level).hasMatch()) {
        refuse(text(file_messages::kCsvBadSquelch).arg(comment.line).arg(level), true);
        return;
    }
    squelch_ = level;
}

QString Importer::value(const CsvRecord& record, const QString& column) const {
    const auto at = columns_.constFind(column);
    return at == columns_.constEnd() ? QString() : record.values.value(*at).trimmed();
}

std::optional<double> Importer::megahertz(const CsvRecord& record, const QString& column) {
    const QString given = value(record, column);
    static const QRegularExpression unit(QStringLiteral("^(.*?)\\s*([mk])hz$"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString number = given;
    double scale = 1.0;
    if (const auto match = unit.match(given); match.hasMatch()) {
        number = match.captured(1);
        scale = match.captured(2).compare(u"k", Qt::CaseInsensitive) == 0 ? 0.001 : 1.0;
    }
    if (number.isEmpty()) {
        return 0.0;
    }
    if (const auto parsed = numberValue(number)) {
        return *parsed * scale;
    }
    static const QRegularExpression commaDecimal(QStringLiteral("^([0-9]+),([0-9]+)$"));
    if (const auto match = commaDecimal.match(number); match.hasMatch()) {
        refuse(text(file_messages::kCsvCommaDecimal)
                   .arg(record.line)
                   .arg(column, given, match.captured(1) + u'.' + match.captured(2)));
    } else {
        refuse(text(file_messages::kCsvNotFrequency).arg(record.line).arg(column, given));
    }
    return std::nullopt;
}

// The grid's own rule decides, so an imported frequency is checked, snapped
// and written exactly as the same number typed into the cell would be.
QString Importer::applyGridRule(ChannelRecord& row, int column, double megahertz,
                                const CsvRecord& record, const QString& csvColumn,
                                const char16_t* outOfRange) const {
    ChannelRecord candidate = row;
    candidate[column] = numberText(megahertz);
    EditResult edited = applyCellEdit(candidate, column);
    if (edited.message) {
        return text(outOfRange).arg(record.line).arg(csvColumn, numberText(megahertz));
    }
    row = edited.record;
    return {};
}

void Importer::readRow(const CsvRecord& record) {
    if (std::all_of(record.values.cbegin(), record.values.cend(),
                    [](const QString& value) { return value.trimmed().isEmpty(); })) {
        return;  // a row of empty cells, as spreadsheets leave them: CHIRP skips it too
    }
    const qsizetype count = record.values.size();
    if (count < headerSize_) {
        refuse(text(file_messages::kCsvTooFewValues).arg(record.line).arg(count).arg(headerSize_));
        return;
    }
    const QString tooMany =
        text(file_messages::kCsvTooManyValues).arg(record.line).arg(count).arg(headerSize_);
    for (qsizetype i = headerSize_; i < count; ++i) {
        if (!record.values.at(i).trimmed().isEmpty()) {
            refuse(tooMany);
            return;
        }
    }
    // Empty values past the header (a ',' at the line's end) are harmless, but
    // when such a row is refused for a value, the values have most likely
    // shifted: a comma decimal split one value in two.
    const bool shifted = count > headerSize_;
    const qsizetype before = refusal_.reasons.size();
    const std::optional<ListedRow> listed = readChannel(record);
    if (!listed) {
        if (shifted && refusal_.reasons.size() > before) {
            refusal_.reasons.last() = CsvRefusal::Reason{tooMany, false};
        }
        return;
    }
    if (!listed->cannotHold.isEmpty()) {
        if (shifted) {
            refuse(tooMany);
            return;
        }
        refuse(listed->cannotHold, true, true);
    } else if (listed->location < 1 || listed->location > kChannelCount) {
        refuse(text(file_messages::kCsvLocationRange).arg(record.line).arg(listed->location), true,
               true);
    }
    listed_ << *listed;
}

std::optional<ListedRow> Importer::readChannel(const CsvRecord& record) {
    const QString location = value(record, kLocation);
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]{1,9}$"));
    if (!wholeNumber.match(location).hasMatch()) {
        refuse(text(file_messages::kCsvNotLocation).arg(record.line).arg(location));
        return std::nullopt;
    }
    ListedRow listed{record.line, location.toInt(), unprogrammedTable().front(), {}};
    if (const int seen = seenOnLine_.value(listed.location); seen != 0) {
        refuse(
            text(file_messages::kCsvLocationTwice).arg(record.line).arg(listed.location).arg(seen),
            true);
        return std::nullopt;
    }
    seenOnLine_.insert(listed.location, record.line);

    const auto receive = megahertz(record, kFrequency);
    if (!receive) {
        return std::nullopt;
    }
    listed.cannotHold = applyGridRule(listed.channel, kReceive, *receive, record, kFrequency,
                                      file_messages::kCsvOutOfRange);
    if (!listed.cannotHold.isEmpty() || !listed.programmed()) {
        return listed;  // a frequency of 0 or none: the channel stays unprogrammed
    }
    const qsizetype before = refusal_.reasons.size();
    readTransmit(listed, record, *receive);
    if (refusal_.reasons.size() > before) {
        return std::nullopt;
    }
    static const QRegularExpression beatOn(QStringLiteral("(^|\\s)beat=on(\\s|$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    listed.channel[kBeat] = beatOn.match(value(record, kComment)).hasMatch()
                                ? QStringLiteral("on")
                                : QStringLiteral("off");
    return listed;
}

void Importer::readTransmit(ListedRow& listed, const CsvRecord& record, double receive) {
    const QString duplex = value(record, kDuplex);
    if (duplex == u"off") {
        listed.channel[kTransmit] = QStringLiteral("");
        return;
    }
    if (!duplex.isEmpty() && duplex != u"+" && duplex != u"-" && duplex != u"split") {
        listed.cannotHold = text(file_messages::kCsvBadDuplex).arg(record.line).arg(duplex);
        return;
    }
    const auto offset = duplex.isEmpty() ? std::optional<double>(0.0) : megahertz(record, kOffset);
    if (!offset) {
        return;
    }
    // The direction is Duplex's alone; a signed Offset would silently turn it.
    if (*offset < 0.0) {
        refuse(
            text(file_messages::kCsvNegativeOffset).arg(record.line).arg(value(record, kOffset)));
        return;
    }
    const double transmit = duplex == u"split" ? *offset
                            : duplex == u"-"   ? receive - *offset
                                               : receive + *offset;
    listed.cannotHold = applyGridRule(listed.channel, kTransmit, transmit, record,
                                      duplex.isEmpty() ? kFrequency : kOffset,
                                      file_messages::kCsvTransmitOutOfRange);
}

// A tab-separated list (CHIRP's clipboard form, a .tsv file) read with ','
// has a header that is one value holding tabs.
bool isTabSeparated(const QList<CsvRecord>& records) {
    for (const CsvRecord& record : records) {
        if (!record.comment) {
            return record.values.size() == 1 && record.values.front().contains(u'\t');
        }
    }
    return false;
}

UserMessage errorMessage(const QString& message, const QString& detail = {}) {
    return {message, text(file_messages::kErrorTitle), UserMessage::Icon::Information, detail};
}

}  // namespace

UserMessage CsvFit::question() const {
    return {text(file_messages::kCsvFitQuestion), text(file_messages::kCsvFitTitle),
            UserMessage::Icon::Information, leftOut.join(u'\n')};
}

UserMessage CsvRefusal::message() const {
    QStringList all;
    for (const Reason& reason : reasons) {
        all << reason.text;
    }
    return errorMessage(text(file_messages::kCsvRefused) + all.value(0),
                        all.size() > 1 ? all.join(u'\n') : QString());
}

std::variant<CsvImport, CsvRefusal> parseChirpCsv(const QByteArray& bytes) {
    if (bytes.size() > kLargestFile) {
        return CsvRefusal{{{text(file_messages::kCsvTooLarge), false}}, std::nullopt};
    }
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3);
    }
    const QString decoded = decodeText(body);
    QList<CsvRecord> records = splitCsvRecords(decoded);
    if (isTabSeparated(records)) {
        records = splitCsvRecords(decoded, u'\t');
    }
    return Importer().run(records);
}

std::variant<QByteArray, QString> readChirpCsvBytes(const QString& path) {
    return readFileUpTo(path, kLargestFile);
}

std::variant<CsvImport, CsvFit, UserMessage> readChirpCsv(const QString& path) {
    const auto read = readChirpCsvBytes(path);
    if (const auto* reason = std::get_if<QString>(&read)) {
        return errorMessage(text(file_messages::kCannotOpen), *reason);
    }
    auto parsed = parseChirpCsv(std::get<QByteArray>(read));
    if (auto* refusal = std::get_if<CsvRefusal>(&parsed)) {
        if (refusal->fit) {
            return *std::move(refusal->fit);
        }
        return refusal->message();
    }
    return std::get<CsvImport>(std::move(parsed));
}

QString formatChirpCsv(const QString& squelch, const ChannelTable& rows) {
    const QString lineEnd = QStringLiteral("\r\n");
    QString csv;
    if (const auto level = squelchLevel(squelch)) {
        csv = QStringLiteral("# squelch=%1").arg(*level) + lineEnd;
    }
    QStringList header;
    for (const char* column : kColumns) {
        header << QLatin1String(column);
    }
    csv += header.join(u',') + lineEnd;
    for (int k = 0; k < kChannelCount; ++k) {
        const ChannelRecord& row = rows.at(static_cast<std::size_t>(k));
        if (stepsOf(row[kReceive]) != 0.0) {
            csv += csvRow(k + 1, row) + lineEnd;
        }
    }
    return csv;
}

std::optional<UserMessage> saveChirpCsv(const QString& path, const QString& squelch,
                                        const ChannelTable& rows) {
    if (const auto reason = writeFileWhole(path, formatChirpCsv(squelch, rows).toUtf8())) {
        return errorMessage(text(file_messages::kSaveFailed) + u'\n' + *reason);
    }
    return std::nullopt;
}

}  // namespace qm3270

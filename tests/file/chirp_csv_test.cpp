#include "file/chirp_csv.h"

#include "channels/numbers.h"
#include "file_size_limit.h"
#include "qstring_printer.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qm3270 {
namespace {

ChannelRecord row(const char* rx, const char* tx, const char* beat) {
    ChannelRecord r;
    r[kReceive] = QString::fromUtf8(rx);
    r[kTransmit] = QString::fromUtf8(tx);
    r[kBeat] = QString::fromUtf8(beat);
    return r;
}

ChannelTable unprogrammed() {
    ChannelTable rows;
    rows.fill(row("", "", ""));
    return rows;
}

const QByteArray kHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n";

// One exported row, with CHIRP's neutral tone values between Offset and TStep.
QByteArray line(const char* start, const char* step, const char* comment) {
    return QByteArray(start) + ",,88.5,88.5,023,NN,023,Tone->Tone,FM," + step + ",," + comment +
           ",,,,\r\n";
}

CsvImport imported(const QByteArray& bytes) {
    auto result = parseChirpCsv(bytes);
    if (const auto* refusal = std::get_if<CsvRefusal>(&result)) {
        ADD_FAILURE() << refusal->message().text.toStdString();
        return {};
    }
    return std::get<CsvImport>(result);
}

TEST(ChirpCsv, ExportsEachProgrammedChannelInChirpsForm) {
    ChannelTable rows = unprogrammed();
    rows[0] = row("146.52000", "146.52000", "off");
    rows[1] = row("462.56250", "467.56250", "on");  // 6.25 kHz raster, +5 MHz
    rows[3] = row("438.50000", "430.50000", "on");
    rows[4] = row("145.00000", "215.00000", "off");  // exactly 70 MHz apart
    rows[5] = row("145.00000", "215.00500", "  ");   // just beyond: split
    rows[6] = row("145.50000", "", "on");            // receive only
    rows[7] = row("0", "145.00000", "on");           // no receive frequency: not programmed
    rows[8] = row("435.00625", "435.00625", "off");
    rows[9] = ChannelRecord{};  // Null throughout
    const QByteArray expected = "# squelch=5\r\n" + kHeader +
                                line("1,,146.520000,,0.000000", "5.00", "beat=off") +
                                line("2,,462.562500,+,5.000000", "6.25", "beat=on") +
                                line("4,,438.500000,-,8.000000", "5.00", "beat=on") +
                                line("5,,145.000000,+,70.000000", "5.00", "beat=off") +
                                line("6,,145.000000,split,215.005000", "5.00", "beat=off") +
                                line("7,,145.500000,off,0.000000", "5.00", "beat=on") +
                                line("9,,435.006250,,0.000000", "6.25", "beat=off");
    EXPECT_EQ(formatChirpCsv(QStringLiteral("  5"), rows).toUtf8(), expected);
}

// Every channel programmed, receive frequencies on one raster, each way of
// transmitting in turn.
ChannelTable fullTable(double rasterSteps) {
    ChannelTable rows;
    for (int k = 0; k < kChannelCount; ++k) {
        const double rx = 13000000.0 + (2 * k + 1) * rasterSteps * 1001.0;
        const double tx[] = {rx, rx + 500000.0, rx - 800000.0, rx + 10000000.0, 0.0};
        const double t = tx[k % 5];
        rows[static_cast<std::size_t>(k)] =
            row(qPrintable(frequencyText(rx / 100000.0)),
                t == 0.0 ? "" : qPrintable(frequencyText(t / 100000.0)), k % 2 ? "on" : "off");
    }
    return rows;
}

struct SquelchCase {
    const char* text;      // the squelch box's text at the export
    const char* imported;  // the level the import gives; nullptr: none, the level stays
};

class RoundTrip : public ::testing::TestWithParam<std::tuple<double, SquelchCase>> {};

// Whatever the squelch box holds, an export imports again as the same table.
TEST_P(RoundTrip, ImportGivesBackWhatWasExported) {
    const auto& [raster, squelch] = GetParam();
    const ChannelTable rows = fullTable(raster);
    const CsvImport back = imported(formatChirpCsv(QString::fromUtf8(squelch.text), rows).toUtf8());
    EXPECT_EQ(back.squelch, squelch.imported ? std::optional(QString::fromUtf8(squelch.imported))
                                             : std::optional<QString>());
    for (int k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(back.rows[static_cast<std::size_t>(k)], rows[static_cast<std::size_t>(k)])
            << "channel " << k + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    RastersAndSquelch, RoundTrip,
    ::testing::Combine(::testing::Values(500.0, 625.0),
                       ::testing::Values(SquelchCase{"7", "7"}, SquelchCase{"05", "5"},
                                         SquelchCase{" 7", "7"}, SquelchCase{"", nullptr},
                                         SquelchCase{"x", nullptr})));

struct ImportCase {
    const char* name;
    QByteArray bytes;
    int channel;  // 1..16: this row holds `expected`, every other row is unprogrammed
    ChannelRecord expected;
    const char* squelch;  // nullptr: the file names none
};

class Import : public ::testing::TestWithParam<ImportCase> {};

TEST_P(Import, ReadsWhatChirpWouldRead) {
    const ImportCase& c = GetParam();
    const CsvImport result = imported(c.bytes);
    ChannelTable expected = unprogrammed();
    expected[static_cast<std::size_t>(c.channel - 1)] = c.expected;
    EXPECT_EQ(result.rows, expected);
    EXPECT_EQ(result.squelch,
              c.squelch ? std::optional(QString::fromUtf8(c.squelch)) : std::optional<QString>());
}

const QByteArray kChirpHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\n";

INSTANTIATE_TEST_SUITE_P(
    Files, Import,
    ::testing::Values(
        ImportCase{"ChirpsOwnExport",
                   kChirpHeader + "3,CALL,146.520000,-,0.600000,Tone,100.0,88.5,023,NN,023,"
                                  "Tone->Tone,FM,5.00,,50W,,,,,\n",
                   3, row("146.52000", "145.92000", "off"), nullptr},
        ImportCase{
            "BomCrlfAndSquelch",
            "\xEF\xBB\xBF# squelch=4\r\nLocation,Frequency,Comment\r\n16,462.5625,beat=on\r\n", 16,
            row("462.56250", "462.56250", "on"), "4"},
        ImportCase{"QuotedHeaderAndValues",
                   "\"Location\",\"Frequency\",\"Duplex\",\"Offset\"\n\"2\",\"438.5\",\"split\","
                   "\"430.5\"\n",
                   2, row("438.50000", "430.50000", "off"), nullptr},
        ImportCase{"ColumnsInAnyOrderWithUnits",
                   "# exported by hand\nComment,Offset,Duplex,Frequency,Location\n"
                   "FRS beat=on,5 MHz,+,146.52 MHz,1\n",
                   1, row("146.52000", "151.52000", "on"), nullptr},
        ImportCase{"DuplexOff", "Location,Frequency,Duplex\n5,145.5,off\n", 5,
                   row("145.50000", "", "off"), nullptr},
        ImportCase{"SnappedAsTheGridSnaps", "Location,Frequency\n7,145.013\n", 7,
                   row("145.01000", "145.01000", "off"), nullptr},
        ImportCase{"Windows1252",
                   "Location,Name,Frequency,Comment\n9,Caf\xE9,150,\x93quiet\x94 beat=on\n", 9,
                   row("150.00000", "150.00000", "on"), nullptr},
        ImportCase{"ZeroFrequencyIsUnprogrammed", "Location,Frequency\n1,0\n2,\n", 1,
                   row("", "", ""), nullptr},
        ImportCase{"RowsOfEmptyCellsSkipped",
                   "Location,Frequency,Duplex,Offset\n,,,\n3,150,,\n , ,\t,\n,,\n", 3,
                   row("150.00000", "150.00000", "off"), nullptr},
        ImportCase{"TabSeparated", "Location\tFrequency\tDuplex\tOffset\r\n4\t438.5\t-\t8\r\n", 4,
                   row("438.50000", "430.50000", "off"), nullptr},
        ImportCase{"TabSeparatedWithBomAndQuotes",
                   "\xEF\xBB\xBF# squelch=2\n\"Location\"\t\"Name\"\t\"Frequency\"\n"
                   "2\t\"A, B\"\t145.5\n",
                   2, row("145.50000", "145.50000", "off"), "2"}),
    [](const auto& test) { return std::string(test.param.name); });

struct RefusalCase {
    const char* name;
    QByteArray bytes;
    const char* reason;  // the first reason, as shown after "CSV 文件无法导入："
    bool refusedData;
    bool fits = false;  // the list can be taken as far as it fits instead
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, ChangesNothingAndNamesTheLine) {
    const auto result = parseChirpCsv(GetParam().bytes);
    ASSERT_TRUE(std::holds_alternative<CsvRefusal>(result));
    const CsvRefusal& refusal = std::get<CsvRefusal>(result);
    EXPECT_EQ(refusal.reasons.value(0).text, QString::fromUtf8(GetParam().reason));
    EXPECT_EQ(refusal.reasons.value(0).refusedData, GetParam().refusedData);
    EXPECT_EQ(refusal.fit.has_value(), GetParam().fits);
    const UserMessage shown = refusal.message();
    EXPECT_EQ(shown.text,
              QString::fromUtf8("CSV 文件无法导入：") + QString::fromUtf8(GetParam().reason));
    EXPECT_EQ(shown.title, u"错误警告 ");
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refusal,
    ::testing::Values(
        RefusalCase{"Semicolons", "Location;Name;Frequency\n1;;146,520000\n",
                    "第 1 行：值以“;”分隔，CSV 文件须以“,”分隔", false},
        RefusalCase{"QuotedCommaDecimal", "Location,Frequency\n1,146.52\n2,\"146,52\"\n",
                    "第 3 行 Frequency 列：“146,52”以逗号作小数点，须写作“146.52”", false},
        RefusalCase{"BareCommaDecimal", "Location,Frequency,Duplex\n1,146,52,\n",
                    "第 2 行：有 4 个值，表头只有 3 列（小数点写成了逗号？）", false},
        RefusalCase{"LocationTwice", "# squelch=3\nLocation,Frequency\n4,150\n\n4,151\n",
                    "第 5 行 Location 列：信道 4 已在第 3 行给出", true},
        RefusalCase{"Location17", "Location,Frequency\n17,150\n",
                    "第 2 行 Location 列：信道 17 不在 1–16 之内", true, true},
        RefusalCase{"SixHundredMegahertz", "Location,Frequency\n1,150\n2,600.000000\n",
                    "第 3 行 Frequency 列：600 MHz 不在 130–500 MHz 之内", true, true},
        // Nothing left to take: refused, not fitted.
        RefusalCase{"TransmitOutOfRange", "Location,Frequency,Duplex,Offset\n1,495,+,10\n",
                    "第 2 行 Offset 列：发送频率 505 MHz 不在 130–500 MHz 之内", true},
        RefusalCase{"UnknownDuplex", "Location,Frequency,Duplex\n1,150,dup\n",
                    "第 2 行 Duplex 列：“dup”不是空、+、-、split 或 off", true},
        RefusalCase{"NegativeOffset", "Location,Frequency,Duplex,Offset\n1,146.52,-,-0.600000\n",
                    "第 2 行 Offset 列：“-0.600000”：Offset 不能为负数", false},
        // Fitting takes a list that reads well, never one that does not.
        RefusalCase{"LocationTwiceBeyond16", "Location,Frequency\n0,150\n17,150\n17,151\n",
                    "第 2 行 Location 列：信道 0 不在 1–16 之内", true},
        RefusalCase{"NotAFrequencyBeside0", "Location,Frequency\n0,150\n1,abc\n",
                    "第 2 行 Location 列：信道 0 不在 1–16 之内", true},
        RefusalCase{"TabsAndCommaDecimal", "Location\tFrequency\n17\t146,52\n",
                    "第 2 行 Frequency 列：“146,52”以逗号作小数点，须写作“146.52”", false},
        RefusalCase{"SquelchAboveNine", "# squelch=12\nLocation,Frequency\n",
                    "第 1 行：静噪级别“12”不是 0–9", true},
        RefusalCase{"EmptyFile", "", "第 1 行：文件是空的，没有表头", false},
        RefusalCase{"CommentsOnly", "\xEF\xBB\xBF# squelch=3\r\n\r\n",
                    "第 1 行：文件只有注释，没有表头", false}),
    [](const auto& test) { return std::string(test.param.name); });

// The channels a fit gives, by the receive frequency in each, from channel 1;
// the rest unprogrammed.
ChannelTable channels(std::initializer_list<const char*> receive) {
    ChannelTable rows = unprogrammed();
    std::size_t k = 0;
    for (const char* rx : receive) {
        rows.at(k++) = row(rx, rx, "off");
    }
    return rows;
}

struct FitCase {
    const char* name;
    QByteArray bytes;
    ChannelTable fitted;
    QStringList leftOut;
};

class Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fit, TakesTheRowsTheRadioCanHoldInLocationOrder) {
    const auto result = parseChirpCsv(GetParam().bytes);
    ASSERT_TRUE(std::holds_alternative<CsvRefusal>(result));
    const std::optional<CsvFit>& fit = std::get<CsvRefusal>(result).fit;
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->fitted.rows, GetParam().fitted);
    EXPECT_EQ(fit->leftOut, GetParam().leftOut);
    EXPECT_EQ(fit->question().detail, GetParam().leftOut.join(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Fit,
    ::testing::Values(
        FitCase{"Location0",
                "Location,Frequency\n1,150\n0,146.01\n",
                channels({"146.01000", "150.00000"}),
                {}},
        FitCase{"Location17AfterAGap",
                "Location,Frequency\n17,150\n3,145\n",
                channels({"145.00000", "150.00000"}),
                {}},
        FitCase{"OutOfBandAmongInBand",
                "Location,Frequency,Duplex,Offset\n9,100,,\n2,150,,\n3,600,,\n4,146,+,400\n"
                "5,151,dup,\n6,0,,\n0,152,,\n",
                channels({"152.00000", "150.00000"}),
                {"第 2 行 Frequency 列：100 MHz 不在 130–500 MHz 之内",
                 "第 4 行 Frequency 列：600 MHz 不在 130–500 MHz 之内",
                 "第 5 行 Offset 列：发送频率 546 MHz 不在 130–500 MHz 之内",
                 "第 6 行 Duplex 列：“dup”不是空、+、-、split 或 off",
                 "第 7 行 Frequency 列：没有频率"}}),
    [](const auto& test) { return std::string(test.param.name); });

// Locations 22 down to 1, all in band: 1–16 become channels 1–16, the six
// above are named.
TEST(ChirpCsv, TwentyTwoRowsFitAsTheirFirstSixteen) {
    QByteArray bytes = "Location,Frequency\n";
    for (int location = 22; location >= 1; --location) {
        bytes += QByteArray::number(location) + ",1" + QByteArray::number(location + 40) + "\n";
    }
    const auto result = parseChirpCsv(bytes);
    const auto* refusal = std::get_if<CsvRefusal>(&result);
    ASSERT_TRUE(refusal && refusal->fit);
    const CsvFit& fit = *refusal->fit;
    QStringList leftOut;
    for (int line = 2; line <= 7; ++line) {
        leftOut << QString::fromUtf8(
                       "第 %1 行 Location 列：信道 %2 排在对讲机能用的前 16 个信道之后")
                       .arg(line)
                       .arg(24 - line);
    }
    EXPECT_EQ(fit.leftOut, leftOut);
    for (int k = 0; k < kChannelCount; ++k) {
        const QString rx = frequencyText(141 + k);
        EXPECT_EQ(fit.fitted.rows.at(static_cast<std::size_t>(k)),
                  row(qPrintable(rx), qPrintable(rx), "off"));
    }
}

TEST(ChirpCsv, NamesEveryRefusedLine) {
    const auto result =
        parseChirpCsv("Location,Name,Frequency\n1,,a\n\"2\",\"two\nlines\",150\n0,,150\n3,,129\n");
    ASSERT_TRUE(std::holds_alternative<CsvRefusal>(result));
    const CsvRefusal& refusal = std::get<CsvRefusal>(result);
    ASSERT_EQ(refusal.reasons.size(), 3);
    EXPECT_TRUE(refusal.reasons[0].text.startsWith(u"第 2 行 Frequency 列："));
    EXPECT_TRUE(
        refusal.reasons[1].text.startsWith(u"第 5 行 Location 列："));  // after a two-line value
    EXPECT_TRUE(refusal.reasons[2].text.startsWith(u"第 6 行 Frequency 列："));
    EXPECT_EQ(refusal.message().detail.split(u'\n').size(), 3);
}

// The file behind an import or an export is a file like any other: a device
// that never ends is refused by the size read so far, and a disk that fills
// during an export keeps the old list and says why.
TEST(ChirpCsv, FilesEndWellAtTheirLimits) {
    const auto endless = readChirpCsv(QStringLiteral("/dev/zero"));
    ASSERT_TRUE(std::holds_alternative<UserMessage>(endless));
    EXPECT_EQ(std::get<UserMessage>(endless).text.section(u'\n', 0, 0),
              u"CSV 文件无法导入：第 1 行：文件大于 1 MiB，不是信道表");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(test::writeBytes(path, "old list"));
    ChannelTable rows = unprogrammed();
    rows[0] = row("145.01250", "145.01250", "on");
    const auto failure = test::failureUnderFileSizeLimit(16, [&] {
        const auto message = saveChirpCsv(path, QStringLiteral("3"), rows);
        return message ? message->text : QString();
    });
    EXPECT_EQ(failure, QStringLiteral("文件保存失败！\nFile too large"));
    EXPECT_EQ(test::fileBytes(path), QByteArray("old list"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.csv"});
}

}  // namespace
}  // namespace qm3270

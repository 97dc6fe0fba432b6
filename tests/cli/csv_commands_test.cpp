#include "cli_runner.h"
#include "qstring_printer.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using qm3270::test::fileBytes;
using qm3270::test::writeBytes;

namespace {

const QByteArray kCsvHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n";

// Channel 1 simplex on the 6.25 kHz raster, channel 3 a repeater pair 5 MHz
// down, the rest unprogrammed; and the same table as CHIRP CSV, by hand.
const QByteArray kDoc =
    "  2,462.56250,462.56250,on,,,,438.50000,433.50000,off," + QByteArray(39, ',');
const QByteArray kCsv =
    "# squelch=2\r\n" + kCsvHeader +
    "1,,462.562500,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,beat=on,,,,\r\n"
    "3,,438.500000,-,5.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,beat=off,,,,\r\n";
// What import-csv prints for it: empty rows are the empty text, the level has no blanks.
const QString kImportedDoc = QString::fromLatin1(kDoc).mid(2) + u'\n';

class CsvCommands : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString file(const char* name, const QByteArray& content) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeBytes(path, content));
        return path;
    }
};

TEST_F(CsvCommands, ExportWritesChirpCsvToStandardOutputOrAFile) {
    const QString doc = file("table.doc", kDoc);
    const CliRun printed = runCli({QStringLiteral("export-csv"), doc});
    EXPECT_EQ(printed.status, 0) << printed.err.toStdString();
    EXPECT_EQ(printed.out.toUtf8(), kCsv);

    const QString csv = dir.filePath(QStringLiteral("table.csv"));
    const CliRun saved = runCli({QStringLiteral("export-csv"), doc, QStringLiteral("-o"), csv});
    EXPECT_EQ(saved.status, 0) << saved.err.toStdString();
    EXPECT_EQ(fileBytes(csv), kCsv);
}

TEST_F(CsvCommands, ImportWritesTheChannelFile) {
    const QString csv = file("table.csv", kCsv);
    const CliRun printed = runCli({QStringLiteral("import-csv"), csv});
    EXPECT_EQ(printed.status, 0) << printed.err.toStdString();
    EXPECT_EQ(printed.out, kImportedDoc);

    const QString doc = dir.filePath(QStringLiteral("imported.doc"));
    EXPECT_EQ(runCli({QStringLiteral("import-csv"), csv, QStringLiteral("-o"), doc}).status, 0);
    EXPECT_EQ(QString::fromLatin1(fileBytes(doc)) + u'\n', kImportedDoc);
}

// --fit takes what the radio can hold, in Location order, and names the rest.
TEST_F(CsvCommands, FitImportsWhatTheRadioCanHold) {
    const QString csv = file("big.csv", "Location,Frequency\n18,151\n0,150\n17,600\n");
    const CliRun run = runCli({QStringLiteral("import-csv"), QStringLiteral("--fit"), csv});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "3,150.00000,150.00000,off,151.00000,151.00000,off," + QString(42, u',') + u'\n');
    EXPECT_EQ(run.err, "qm3270-cli: left out of " + csv +
                           ": 第 4 行 Frequency 列：600 MHz 不在 130–500 MHz 之内\n");
}

struct RefusedCase {
    const char* name;
    QByteArray csv;  // empty: the file does not exist
    int status;
    const char* error;
};

class CsvRefused : public CsvCommands, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(CsvRefused, LeavesTheOutputAsItWas) {
    const QString csv = GetParam().csv.isEmpty() ? dir.filePath(QStringLiteral("missing.csv"))
                                                 : file("in.csv", GetParam().csv);
    const QString doc = file("old.doc", kDoc);
    const CliRun run = runCli({QStringLiteral("import-csv"), csv, QStringLiteral("-o"), doc});
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(GetParam().error))) << run.err.toStdString();
    EXPECT_EQ(fileBytes(doc), kDoc);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CsvRefused,
    ::testing::Values(
        RefusedCase{"Missing", {}, 2, "cannot open "},
        RefusedCase{"Semicolons", "Location;Frequency\n1;146,52\n", 2, "第 1 行："},
        RefusedCase{"TwoBadLines", "Location,Frequency\n17,150\n2,600\n", 3,
                    "第 2 行 Location 列：信道 17 不在 1–16 之内\nqm3270-cli: cannot import "},
        RefusedCase{"FitNotAsked", "Location,Frequency\n0,150\n", 3, "; --fit imports the first"},
        RefusedCase{"FitCannotMendAList", "Location,Frequency\n0,150\n0,151\n", 3,
                    "信道 0 已在第 2 行给出\n"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace

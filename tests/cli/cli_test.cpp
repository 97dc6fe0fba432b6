#include "cli_runner.h"
#include "qstring_printer.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kSample = QStringLiteral(QM3270_SOURCE_DIR "/samples/sample.doc");

// Rows 1, 2, 5, 11 and 12 programmed with frames checked by hand, row 16 with a blank beat; the
// other rows unprogrammed.
QByteArray mixedTableFile(const QByteArray& squelch = "  3", const QByteArray& row7 = ",,,") {
    QByteArray text = squelch + ",150.00000,150.00000,on,136.01250,174.00000,on,";
    text += ",,,,,,145.61250,145.61250,off,,,," + row7;
    text += ",,,,,,,,,151.82500,156.80000,off,438.50000,433.50000,on,";
    text += ",,,,,,,,,,,,,,  ,";
    return text;
}

const QStringList kMixedTableFrames = {
    QStringLiteral("03010000861200000015"), QStringLiteral("01015012461100004017"),
    QStringLiteral("02000000000000000000"), QStringLiteral("03000000000000000000"),
    QStringLiteral("04005012421250125614"), QStringLiteral("05000000000000000000"),
    QStringLiteral("06000000000000000000"), QStringLiteral("07000000000000000000"),
    QStringLiteral("08000000000000000000"), QStringLiteral("09000000000000000000"),
    QStringLiteral("10000025041300006815"), QStringLiteral("11010000714100003543"),
    QStringLiteral("12000000000000000000"), QStringLiteral("13000000000000000000"),
    QStringLiteral("14000000000000000000"), QStringLiteral("15000000000000000000"),
};

class Cli : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString file(const QByteArray& content) {
        const QString path = dir.filePath(QStringLiteral("channels.doc"));
        EXPECT_TRUE(qm3270::test::writeBytes(path, content));
        return path;
    }
};

TEST_F(Cli, FramesAreWhatTheRadioReceives) {
    const CliRun run = runCli({QStringLiteral("frames"), file(mixedTableFile())});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kMixedTableFrames.join(u'\n') + u'\n');
}

struct RefusalCase {
    const char* name;
    QByteArray squelch;
    QByteArray row7;
    const char* message;
};

class Refusal : public Cli, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, SendsNothingAndSaysWhy) {
    const QString path = file(mixedTableFile(GetParam().squelch, GetParam().row7));
    const CliRun refused = runCli({QStringLiteral("frames"), path});
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.out, QString());
    EXPECT_TRUE(refused.err.contains(QString::fromUtf8(GetParam().message)))
        << refused.err.toStdString();
    // Unchecked, the same file gives the encoder's sixteen lines.
    const CliRun raw = runCli({QStringLiteral("frames"), QStringLiteral("--raw"), path});
    EXPECT_EQ(raw.status, 0);
    EXPECT_EQ(raw.out.count(u'\n'), 16);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refusal,
    ::testing::Values(
        RefusalCase{"OutOfBand", "3", "600,600,on,", "第 7 信道数据无效，未写入对讲机！"},
        RefusalCase{"ShortTransmitField", "3", "150,50,on,", "第 7 信道数据无效，未写入对讲机！"},
        RefusalCase{"NegativeSquelch", "-1", ",,,", "第 1 信道数据无效，未写入对讲机！"},
        RefusalCase{"SquelchAboveNine", "12", ",,,", "静燥级别不可大于 9 ！！！"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Cli, UnreadableFilesAreBadInput) {
    const CliRun missing = runCli({QStringLiteral("show"), dir.filePath(QStringLiteral("no.doc"))});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains(u"文件无法打开！")) << missing.err.toStdString();
    const CliRun shortFile = runCli({QStringLiteral("frames"), file("3,145.5,145.5,on,")});
    EXPECT_EQ(shortFile.status, 2);
    EXPECT_EQ(shortFile.out, QString());
    EXPECT_TRUE(shortFile.err.contains(u"文件格式错误，未读入数据！"));
}

struct NotAChannelFileCase {
    const char* name;
    QByteArray bytes;  // empty: the program file itself
};

class NotAChannelFile : public Cli, public ::testing::WithParamInterface<NotAChannelFileCase> {};

// A picture or a program that the *.doc filter lists never shows as a table.
TEST_P(NotAChannelFile, IsBadInput) {
    const QString path = GetParam().bytes.isEmpty()
                             ? QStringLiteral(QM3270_BINARY_DIR "/src/cli/qm3270-cli")
                             : file(GetParam().bytes);
    const CliRun run = runCli({QStringLiteral("show"), path});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, QString());
    // The reason follows in parentheses: a control byte, the size.
    EXPECT_TRUE(run.err.startsWith(
        QStringLiteral("qm3270-cli: cannot read %1: 文件格式错误，未读入数据！ (").arg(path)))
        << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotAChannelFile,
    ::testing::Values(
        NotAChannelFileCase{"Picture",
                            QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + mixedTableFile()},
        NotAChannelFileCase{"Program", {}},
        NotAChannelFileCase{"CommasOverSixtyFourKiB", QByteArray(64 * 1024 + 1, ',')}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Cli, DecodeGivesBackTheFileThatWasWritten) {
    const CliRun frames = runCli({QStringLiteral("frames"), kSample});
    ASSERT_EQ(frames.status, 0) << frames.err.toStdString();
    // The radio answers a ready poll late sometimes; that "C" is no data.
    const CliRun decoded = runCli({QStringLiteral("decode")}, "C" + frames.out.toLatin1());
    ASSERT_EQ(decoded.status, 0) << decoded.err.toStdString();
    // A read brings the squelch digit back without the list's blanks.
    EXPECT_EQ(decoded.out, QString::fromUtf8(qm3270::test::fileBytes(kSample)).mid(2) + u'\n');
}

struct DecodeCase {
    const char* name;
    QStringList arguments;
    QByteArray input;
    int status;
};

class Decode : public ::testing::TestWithParam<DecodeCase> {};

QByteArray frameText() {
    return kMixedTableFrames.join(QString()).toLatin1();
}

TEST_P(Decode, RefusesAnythingButSixteenFrames) {
    const CliRun run =
        runCli(QStringList{QStringLiteral("decode")} + GetParam().arguments, GetParam().input);
    EXPECT_EQ(run.status, GetParam().status) << run.err.toStdString();
    if (GetParam().status == 0) {
        EXPECT_TRUE(run.out.startsWith(u"3,150.00000,150.00000,on,136.01250,174.00000,on,"));
    } else {
        EXPECT_EQ(run.out, QString());
        EXPECT_TRUE(run.err.startsWith(u"qm3270-cli: cannot decode frames: "));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Decode,
    ::testing::Values(DecodeCase{"LineBroken", {}, frameText().replace("0000", "00\r\n00"), 0},
                      DecodeCase{"Short", {}, frameText().left(319), 2},
                      DecodeCase{"Noise", {}, frameText().replace(100, 1, "C"), 2},

                      DecodeCase{"RawTakesLetters",
                                 {QStringLiteral("--raw")},
                                 frameText().replace(319, 1, "X"),
                                 0},
                      DecodeCase{"RawShort", {QStringLiteral("--raw")}, frameText().left(300), 2}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(CliUsage, HelpNamesEveryCommand) {
    const CliRun run = runCli({QStringLiteral("--help")});
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"frames", "decode", "show"}) {
        EXPECT_TRUE(run.out.contains(QString::fromLatin1(command))) << command;
    }
}

TEST(CliUsage, WrongCommandLinesAreUsageErrors) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral("bogus")},
          QStringList{QStringLiteral("frames")},
          QStringList{QStringLiteral("show"), QStringLiteral("--bogus"), kSample},
          // several radios: nothing is opened before the command line is whole
          QStringList{"read", "--port", "/dev/null", "--port", "/dev/zero", "--trace", "t"},
          QStringList{"read", "--port", "/dev/null", "--port", "/dev/zero"},
          QStringList{"write", "--port", "/dev/null", "--port", "/dev/null", kSample}}) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 1) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.out, QString());
    }
}

TEST(CliShow, PrintsTheTable) {
    const CliRun run = runCli({QStringLiteral("show"), kSample});
    EXPECT_EQ(run.status, 0);
    // The same table through a pipe.
    EXPECT_EQ(
        runCli({QStringLiteral("show"), QStringLiteral("-")}, qm3270::test::fileBytes(kSample)).out,
        run.out);
    EXPECT_TRUE(run.out.startsWith(u"squelch level: 3\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(u"\n      2  136.01250  174.00000  on\n"));
    EXPECT_TRUE(run.out.contains(u"\n     16\n"));
}

// A read takes seconds: a folder where the file should go is told before it.
TEST_F(Cli, ReadIntoAFolderIsRefusedAtOnce) {
    const CliRun run =
        runCli({QStringLiteral("read"), QStringLiteral("--port"),
                QStringLiteral("/dev/qm3270-no-such-port"), QStringLiteral("-o"), dir.path()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, QStringLiteral("qm3270-cli: cannot save %1: it is a folder (with one "
                                      "--port, -o names a file)\n")
                           .arg(dir.path()));
}

}  // namespace

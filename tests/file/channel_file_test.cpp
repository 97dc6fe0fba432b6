#include "file/channel_file.h"

#include "file_size_limit.h"
#include "qstring_printer.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace qm3270 {
namespace {

Field text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

ChannelRecord row(Field rx, Field tx, Field beat) {
    ChannelRecord r;
    r[kReceive] = std::move(rx);
    r[kTransmit] = std::move(tx);
    r[kBeat] = std::move(beat);
    return r;
}

ChannelTable emptyTable() {
    ChannelTable rows;
    rows.fill(row(text(""), text(""), text("")));
    return rows;
}

// Rows 1 and 2 programmed, the rest empty: the table a user saves most often.
ChannelTable twoChannels() {
    ChannelTable rows = emptyTable();
    rows[0] = row(text("145.01250"), text("145.01250"), text("off"));
    rows[1] = row(text("438.50000"), text("430.50000"), text("on"));
    return rows;
}

const char* const kTwoChannelsText =
    "  3,145.01250,145.01250,off,438.50000,430.50000,on,"
    ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,";

ChannelFile parsed(const QByteArray& bytes) {
    auto result = parseChannelFile(bytes);
    if (auto* message = std::get_if<UserMessage>(&result)) {
        ADD_FAILURE() << message->text.toStdString();
        return {};
    }
    return std::get<ChannelFile>(result);
}

TEST(ChannelFile, SavesFortyNineCommaTerminatedValues) {
    EXPECT_EQ(formatChannelFile(QStringLiteral("  3"), twoChannels()),
              QString::fromLatin1(kTwoChannelsText));
}

TEST(ChannelFile, WritesNullAsNullAndQuotesWhatWouldSplit) {
    ChannelTable rows = emptyTable();
    rows[0] = row(std::nullopt, text("1,5"), text("say \"on\""));
    rows[1] = row(text("a\nb"), text("  "), text("on"));
    const QString saved = formatChannelFile(QStringLiteral("3"), rows);
    EXPECT_TRUE(
        saved.startsWith(QStringLiteral("3,Null,\"1,5\",\"say \"\"on\"\"\",\"a\nb\",  ,on,,,,")));
    // Quoted values come back whole; the rest of the table stays in place.
    const ChannelFile back = parsed(saved.toUtf8());
    EXPECT_EQ(back.rows[0], row(text("Null"), text("1,5"), text("say \"on\"")));
    EXPECT_EQ(back.rows[1], row(text("a\nb"), text(""), text("on")));
    EXPECT_EQ(back.rows[2], row(text(""), text(""), text("")));
}

// The reader skips blanks ahead of a value: those of a beat that hold other text
// survive only in quotes, or " on" would come back as "on" and turn the beat on.
TEST(ChannelFile, BlanksAroundABeatComeBack) {
    ChannelTable rows = emptyTable();
    rows[0] = row(text("150.00000"), text("150.00000"), text(" on"));
    rows[1] = row(text(""), text(""), text("off "));
    rows[2] = row(text(""), text(""), text("  "));
    const QString saved = formatChannelFile(QStringLiteral("  3"), rows);
    EXPECT_TRUE(saved.startsWith(u"  3,150.00000,150.00000,\" on\",,,\"off \",,,  ,,,,"))
        << saved.toStdString();
    const ChannelFile back = parsed(saved.toUtf8());
    EXPECT_EQ(back.rows[0][kBeat], text(" on"));
    EXPECT_EQ(back.rows[1][kBeat], text("off "));
    EXPECT_EQ(back.rows[2][kBeat], text(""));
}

TEST(ChannelFile, ReadsBackWhatItSaved) {
    const ChannelFile back = parsed(QByteArray(kTwoChannelsText));
    EXPECT_EQ(back.squelch, u"3");  // the list's blanks are skipped
    EXPECT_EQ(back.rows, twoChannels());
}

struct ReadCase {
    const char* name;
    QByteArray bytes;
    const char* squelch;
    ChannelRecord row1;
};

QByteArray withRestEmpty(const QByteArray& firstValues) {
    return firstValues + QByteArray(45, ',');
}

class Read : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Read, FillsTheTableAsTheGridShowsIt) {
    const ChannelFile file = parsed(GetParam().bytes);
    EXPECT_EQ(file.squelch, QString::fromUtf8(GetParam().squelch));
    EXPECT_EQ(file.rows[0], GetParam().row1);
    EXPECT_EQ(file.rows[15], row(text(""), text(""), text("")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Read,
    ::testing::Values(
        ReadCase{"NumbersFormatted", withRestEmpty("3,145.5,0145.5,on,"), "3",
                 row(text("145.50000"), text("145.50000"), text("on"))},
        ReadCase{"ExponentAndSign", withRestEmpty("3,1e2,-1,off,"), "3",
                 row(text("100.00000"), text("-1.00000"), text("off"))},
        ReadCase{"TextKept", withRestEmpty("x,Null,145.5MHz,ON,"), "x",
                 row(text("Null"), text("145.5MHz"), text("ON"))},
        ReadCase{"QuotedNumberFormatted", withRestEmpty("\"  3\",\"145.5\",\" 0145.5 \",\" on\","),
                 "  3", row(text("145.50000"), text("145.50000"), text(" on"))},

        ReadCase{"OneValuePerLine", QByteArray("3\n145.5\n145.5\non\n") + QByteArray(45, '\n'), "3",
                 row(text("145.50000"), text("145.50000"), text("on"))},
        ReadCase{"CommaAndCrLfPerLine",
                 QByteArray("3,\r\n145.5,\r\n145.5,\r\non,\r\n") + QByteArray(45, ','), "3",
                 row(text("145.50000"), text("145.50000"), text("on"))},
        ReadCase{
            "OneRowPerLine",
            QByteArray(" 3\n145.5, 145.5 ,off\r") + QByteArray(15, '\n').replace("\n", ",,,\n"),
            "3", row(text("145.50000"), text("145.50000"), text("off"))},

        ReadCase{"TabsAndFilledToTheSizeLimit",
                 "3,\t145.5,145.5\t,\ton," + QByteArray(64 * 1024 - 20, ','), "3",
                 row(text("145.50000"), text("145.50000"), text("on"))},
        ReadCase{"ChineseCodePage", withRestEmpty("3,150,150,\xbf\xaa,"), "3",
                 row(text("150.00000"), text("150.00000"), text("开"))},
        ReadCase{"NeitherIsLatin1", withRestEmpty("3,150,150,on\xff,"), "3",
                 row(text("150.00000"), text("150.00000"), text("on\xc3\xbf"))}),
    [](const auto& test) { return std::string(test.param.name); });

class Malformed : public ::testing::TestWithParam<QByteArray> {};

TEST_P(Malformed, IsRefusedAsAWhole) {
    const auto result = parseChannelFile(GetParam());
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    EXPECT_EQ(std::get<UserMessage>(result).text, u"文件格式错误，未读入数据！");
    EXPECT_EQ(std::get<UserMessage>(result).title, u"错误警告 ");
}

// Enough values for a table after each header: only the header's bytes refuse it.
const QByteArray kPictureHeader("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
const QByteArray kProgramHeader(
    "\x7f"
    "ELF\x02\x01\x01\0\0\0",
    10);
const QByteArray kWordProcessorHeader("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);

INSTANTIATE_TEST_SUITE_P(Files, Malformed,
                         ::testing::Values(QByteArray(), QByteArray("3,145.5,145.5,on,"),
                                           QByteArray(47, ','),  // 47 separators: 48 values
                                           QByteArray("3,\"145.5,145.5,on") + QByteArray(60, ','),
                                           kPictureHeader + QByteArray(60, ','),
                                           kProgramHeader + QByteArray(60, ','),
                                           kWordProcessorHeader + QByteArray(60, ','),
                                           QByteArray("3,145.5\0,", 10) + QByteArray(60, ','),
                                           QByteArray("3,145.5\f,") + QByteArray(60, ','),
                                           QByteArray(64 * 1024 + 1, ',')));

// What the detailed text says about a file that is refused.
struct ReasonCase {
    const char* name;
    QByteArray bytes;
    const char* reason;
};

class RefusalReason : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(RefusalReason, SaysWhatIsWrong) {
    const auto result = parseChannelFile(GetParam().bytes);
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    EXPECT_EQ(std::get<UserMessage>(result).detail, QString::fromUtf8(GetParam().reason));
}

INSTANTIATE_TEST_SUITE_P(Files, RefusalReason,
                         ::testing::Values(ReasonCase{"ValueMissing", QByteArray(47, ','),
                                                      "只有 47 个值，信道文件须有 49 个"},
                                           ReasonCase{"Picture",
                                                      kPictureHeader + QByteArray(60, ','),
                                                      "第 7 个字节是控制字符，不是信道文件"},
                                           ReasonCase{"TooLarge", QByteArray(64 * 1024 + 1, ','),
                                                      "文件大于 64 KiB，不是信道文件"}),
                         [](const auto& test) { return std::string(test.param.name); });

class ChannelFileOnDisk : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

TEST_F(ChannelFileOnDisk, SaveThenOpenRestoresTheTable) {
    ASSERT_FALSE(saveChannelFile(path("a.doc"), QStringLiteral("  3"), twoChannels()));
    QFile saved(path("a.doc"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray(kTwoChannelsText));
    const auto back = readChannelFile(path("a.doc"));
    ASSERT_TRUE(std::holds_alternative<ChannelFile>(back));
    EXPECT_EQ(std::get<ChannelFile>(back).rows, twoChannels());
}

TEST_F(ChannelFileOnDisk, MissingFileCannotBeOpened) {
    const auto result = readChannelFile(path("missing.doc"));
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    EXPECT_EQ(std::get<UserMessage>(result).text, u"文件无法打开！");
    EXPECT_EQ(std::get<UserMessage>(result).title, u"错误警告 ");
    EXPECT_EQ(std::get<UserMessage>(result).detail,
              path("missing.doc") + QStringLiteral("：No such file or directory"));
}

TEST_F(ChannelFileOnDisk, RefusedFileIsNamed) {
    ASSERT_TRUE(test::writeBytes(path("short.doc"), "3,145,145,on,"));
    const auto result = readChannelFile(path("short.doc"));
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    EXPECT_EQ(std::get<UserMessage>(result).detail,
              path("short.doc") + QStringLiteral("：只有 4 个值，信道文件须有 49 个"));
}

TEST_F(ChannelFileOnDisk, FailedSaveReportsTheReasonAndKeepsTheOldFile) {
    ASSERT_FALSE(saveChannelFile(path("a.doc"), QStringLiteral("3"), twoChannels()));
    // Root may write anywhere, but nothing can live below a regular file.
    const auto message = saveChannelFile(path("a.doc/b.doc"), QStringLiteral("3"), emptyTable());
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->text.startsWith(u"文件保存失败！\n")) << message->text.toStdString();
    EXPECT_GT(message->text.size(), QStringLiteral("文件保存失败！\n").size());
    EXPECT_EQ(message->title, u"错误警告 ");
    EXPECT_EQ(message->detail, path("a.doc/b.doc") + QStringLiteral("：Not a directory"));
    const auto old = readChannelFile(path("a.doc"));
    ASSERT_TRUE(std::holds_alternative<ChannelFile>(old));
    EXPECT_EQ(std::get<ChannelFile>(old).rows, twoChannels());
}

// The last step, the rename over the old file, may be refused as well: in a
// shared folder such as /tmp only its owner may replace a file. A folder by
// the file's name is never replaced.
TEST_F(ChannelFileOnDisk, SaveRefusedAtTheRenameKeepsWhatWasThere) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs a second user to own the old file";
    }
    const QString shared = path("shared");
    const QString theirs = shared + "/a.doc";
    ASSERT_TRUE(QDir().mkpath(shared + "/folder.doc"));
    ASSERT_TRUE(test::writeBytes(theirs, kTwoChannelsText));
    ASSERT_EQ(::chmod(qPrintable(dir.path()), 0755) | ::chmod(qPrintable(shared), 01777) |
                  ::chmod(qPrintable(theirs), 0666),
              0);
    constexpr uid_t kNobody = 65534;
    std::optional<UserMessage> renameRefused;
    if (::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0) {
        renameRefused = saveChannelFile(theirs, QStringLiteral("3"), emptyTable());
    }
    ASSERT_EQ(::seteuid(0) | ::setegid(0), 0);
    const auto onFolder =
        saveChannelFile(shared + "/folder.doc", QStringLiteral("3"), emptyTable());

    ASSERT_TRUE(renameRefused && onFolder);
    EXPECT_EQ(renameRefused->text, u"文件保存失败！\nOperation not permitted");
    EXPECT_TRUE(onFolder->text.startsWith(u"文件保存失败！\n")) << onFolder->text.toStdString();
    EXPECT_EQ(test::fileBytes(theirs), QByteArray(kTwoChannelsText));
    EXPECT_TRUE(QFileInfo(shared + "/folder.doc").isDir());
    EXPECT_EQ(QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"a.doc", "folder.doc"}));
}

// A disk that fills during the save: the first bytes go out, the rest do not.
// (QSaveFile alone reported this as saved and put the cut-off file in place.)
TEST_F(ChannelFileOnDisk, SaveCutShortByAFullDiskKeepsTheOldFile) {
    const QString saved = path("a.doc");
    ASSERT_FALSE(saveChannelFile(saved, QStringLiteral("  3"), twoChannels()));
    for (const rlim_t room : {rlim_t{0}, rlim_t{16}}) {
        const auto failure = test::failureUnderFileSizeLimit(room, [&] {
            const auto message = saveChannelFile(saved, QStringLiteral("3"), emptyTable());
            return message ? message->text : QString();
        });
        EXPECT_EQ(failure, QStringLiteral("文件保存失败！\nFile too large")) << room;
        EXPECT_EQ(test::fileBytes(saved), QByteArray(kTwoChannelsText)) << room;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.doc"}) << room;
    }
}

}  // namespace
}  // namespace qm3270

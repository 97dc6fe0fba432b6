#include "file/backup_folder.h"

#include "file/channel_file.h"
#include "file_size_limit.h"
#include "qstring_printer.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qm3270 {
namespace {

using test::fileBytes;
using test::writeBytes;

const QDateTime kNow(QDate(2026, 12, 8), QTime(9, 30, 5));

ChannelTable tableWith(const char* receive) {
    ChannelTable rows;
    for (ChannelRecord& row : rows) {
        row[kReceive] = row[kTransmit] = row[kBeat] = QString();
    }
    rows[0][kReceive] = QString::fromLatin1(receive);
    return rows;
}

class Backups : public ::testing::Test {
protected:
    QTemporaryDir dir;
    BackupFolder folder{BackupFolder::forDatabase(dir.filePath(QStringLiteral("qm3270.db")))};

    QString saved(BackupFolder::Event event, const char* receive, const QDateTime& now = kNow) {
        auto result = folder.save(event, QStringLiteral("3"), tableWith(receive), now);
        if (const auto* message = std::get_if<UserMessage>(&result)) {
            ADD_FAILURE() << message->text.toStdString() << ": " << message->detail.toStdString();
            return {};
        }
        return std::get<QString>(result);
    }
    QStringList names() const { return QDir(folder.folder()).entryList(QDir::Files, QDir::Name); }
};

struct NamingCase {
    BackupFolder::Event event;
    const char* name;
};

class Naming : public Backups, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(Naming, NamesTheTimeAndTheEventBesideTheDatabase) {
    const QString path = saved(GetParam().event, "145.50000");
    EXPECT_EQ(path,
              dir.filePath(QStringLiteral("backups/") + QString::fromLatin1(GetParam().name)));
    EXPECT_EQ(fileBytes(path), "3,145.50000,,," + QByteArray(45, ','));
}

INSTANTIATE_TEST_SUITE_P(
    Events, Naming,
    ::testing::Values(
        NamingCase{BackupFolder::Event::BeforeRead, "20261208-093005-before-read.doc"},
        NamingCase{BackupFolder::Event::BeforeOpen, "20261208-093005-before-open.doc"},
        NamingCase{BackupFolder::Event::BeforeImport, "20261208-093005-before-import.doc"},
        NamingCase{BackupFolder::Event::Written, "20261208-093005-written.doc"},
        NamingCase{BackupFolder::Event::Unsaved, "20261208-093005-unsaved.doc"},
        NamingCase{BackupFolder::Event::BeforeWrite, "20261208-093005-before-write.doc"}));

TEST_F(Backups, SameSecondNeverReplacesABackup) {
    saved(BackupFolder::Event::Written, "150");
    const QString second = saved(BackupFolder::Event::Written, "160");
    const QString third = saved(BackupFolder::Event::Written, "170");
    EXPECT_EQ(names(),
              (QStringList{"20261208-093005-written-2.doc", "20261208-093005-written-3.doc",
                           "20261208-093005-written.doc"}));
    EXPECT_TRUE(fileBytes(folder.folder() + "/20261208-093005-written.doc").startsWith("3,150,"));
    EXPECT_TRUE(fileBytes(second).startsWith("3,160,"));
    EXPECT_TRUE(fileBytes(third).startsWith("3,170,"));
}

TEST_F(Backups, KeepsTheNewestFiveHundredAndNothingElseIsTouched) {
    // 500 backups, the first second holding two of them (-2 is the later one).
    ASSERT_TRUE(QDir().mkpath(folder.folder()));
    const QDateTime first(QDate(2025, 1, 1), QTime(0, 0));
    QStringList old = {"20250101-000000-before-read-2.doc"};
    for (int k = 0; k < BackupFolder::kKept - 1; ++k) {
        old << first.addSecs(k).toString("yyyyMMdd-HHmmss") + "-before-read.doc";
    }
    const QStringList foreign = {"20250101-000000-before-read.txt", "20250101-000000-mine.doc",
                                 "notes.doc", "20250101-000000-before-read.doc.bak"};
    for (const QString& name : old + foreign) {
        ASSERT_TRUE(writeBytes(folder.folder() + '/' + name, name.toUtf8()));
    }
    const auto kept = [&](const char* name) { return names().contains(QString::fromLatin1(name)); };

    saved(BackupFolder::Event::Written, "150");
    EXPECT_EQ(names().size(), BackupFolder::kKept + foreign.size());
    EXPECT_FALSE(kept("20250101-000000-before-read.doc"));
    EXPECT_TRUE(kept("20250101-000000-before-read-2.doc"));
    EXPECT_TRUE(kept("20261208-093005-written.doc"));
    for (const QString& name : foreign) {
        EXPECT_EQ(fileBytes(folder.folder() + '/' + name), name.toUtf8());
    }

    // With the clock set back the new backup looks oldest, and still stays.
    saved(BackupFolder::Event::BeforeOpen, "160", first.addDays(-1));
    EXPECT_TRUE(kept("20241231-000000-before-open.doc"));
    EXPECT_FALSE(kept("20250101-000000-before-read-2.doc"));
    EXPECT_EQ(names().size(), BackupFolder::kKept + foreign.size());
}

TEST_F(Backups, AFolderThatCannotBeMadeCancelsWithTheReason) {
    // Root may write anywhere, but nothing can live below a regular file.
    const QString blocker = dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(writeBytes(blocker, "not a folder"));
    const BackupFolder blocked(BackupFolder::forDatabase(blocker + "/qm3270.db"));

    const auto result =
        blocked.save(BackupFolder::Event::BeforeRead, QStringLiteral("3"), tableWith("150"), kNow);
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    const auto& message = std::get<UserMessage>(result);
    EXPECT_EQ(message.text,
              "备份无法保存，操作已取消：" + blocker + "/backups/20261208-093005-before-read.doc");
    EXPECT_EQ(message.title, u"错误警告 ");
    EXPECT_FALSE(message.detail.isEmpty());
    EXPECT_EQ(fileBytes(blocker), "not a folder");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"data"});
}

TEST_F(Backups, AFullDiskCancelsAndLeavesNothingBehind) {
    const QString kept = saved(BackupFolder::Event::BeforeRead, "150");
    const auto failure = test::failureUnderFileSizeLimit(16, [&] {
        const auto result = folder.save(BackupFolder::Event::BeforeRead, QStringLiteral("3"),
                                        tableWith("160"), kNow);
        const auto* message = std::get_if<UserMessage>(&result);
        return message ? message->text + u'|' + message->detail : QString();
    });
    EXPECT_EQ(failure, "备份无法保存，操作已取消：" + folder.folder() +
                           "/20261208-093005-before-read-2.doc|File too large");
    EXPECT_EQ(names(), QStringList{"20261208-093005-before-read.doc"});
    EXPECT_TRUE(fileBytes(kept).startsWith("3,150,"));
}

// What the backup browser lists: newest first, the event in words, and a file
// among them that is no channel file marked as such.
TEST_F(Backups, ListsNewestFirstWithTheEventInWords) {
    saved(BackupFolder::Event::BeforeRead, "145.50000", kNow.addSecs(-60));
    saved(BackupFolder::Event::Written, "146.00000");
    saved(BackupFolder::Event::BeforeOpen, "147.00000");  // the same second: -2
    ASSERT_TRUE(writeBytes(folder.folder() + QStringLiteral("/20261208-093006-before-import.doc"),
                           QByteArray("\x89PNG\r\n\x1a\n", 8)));
    ASSERT_TRUE(writeBytes(folder.folder() + QStringLiteral("/notes.doc"), "not a backup"));

    const auto listed = folder.list();
    ASSERT_TRUE((std::holds_alternative<QList<BackupFolder::Entry>>(listed)));
    const auto& entries = std::get<QList<BackupFolder::Entry>>(listed);
    QStringList events;
    for (const BackupFolder::Entry& entry : entries) {
        events << entry.event;
    }
    EXPECT_EQ(events, (QStringList{"导入 CSV 前", "打开文件前", "写入后", "读信道前"}));
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries.at(0).time, kNow.addSecs(1));
    EXPECT_TRUE(std::holds_alternative<UserMessage>(entries.at(0).content));
    ASSERT_TRUE(std::holds_alternative<ChannelFile>(entries.at(1).content));
    EXPECT_EQ(std::get<ChannelFile>(entries.at(1).content).rows[0][kReceive], u"147.00000");
}

TEST_F(Backups, AMissingFolderSaysSo) {
    const auto listed = folder.list();
    ASSERT_TRUE(std::holds_alternative<UserMessage>(listed));
    EXPECT_EQ(std::get<UserMessage>(listed).text,
              QStringLiteral("还没有备份：备份文件夹 %1 不存在。").arg(folder.folder()));
}

}  // namespace
}  // namespace qm3270

#include "sim/radio_memory.h"

#include "file_size_limit.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace qm3270 {
namespace {

struct MemoryRow {
    int position;
    const char* receive;
    const char* transmit;
    const char* beat;
    QByteArray frame;
};

void PrintTo(const MemoryRow& row, std::ostream* os) {
    *os << row.frame.constData();
}

class RadioMemoryRow : public testing::TestWithParam<MemoryRow> {};

ChannelFile fileWith(const MemoryRow& row) {
    ChannelFile file;
    file.squelch = QStringLiteral("3");
    for (ChannelRecord& record : file.rows) {
        record[kReceive] = record[kTransmit] = record[kBeat] = QString();
    }
    ChannelRecord& record = file.rows.at(static_cast<std::size_t>(row.position - 1));
    record[kReceive] = QString::fromLatin1(row.receive);
    record[kTransmit] = QString::fromLatin1(row.transmit);
    record[kBeat] = QString::fromLatin1(row.beat);
    return file;
}

TEST_P(RadioMemoryRow, LoadsAsTheProgramWouldWriteAndSavesAsARead) {
    const ChannelFile file = fileWith(GetParam());
    const auto frames = framesFromChannelFile(file);
    ASSERT_TRUE(std::holds_alternative<RadioEngine::Frames>(frames));
    const auto& memory = std::get<RadioEngine::Frames>(frames);
    EXPECT_EQ(memory.at(static_cast<std::size_t>(GetParam().position - 1)), GetParam().frame);

    const ChannelFile back = channelFileFromFrames(memory);
    EXPECT_EQ(back.squelch, QStringLiteral("3"));
    EXPECT_EQ(back.rows, file.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RadioMemoryRow,
    testing::Values(MemoryRow{1, "150.00000", "150.00000", "on", "03010000861200000015"},
                    MemoryRow{2, "136.01250", "174.00000", "on", "01015012461100004017"},
                    MemoryRow{5, "145.61250", "145.61250", "off", "04005012421250125614"},
                    MemoryRow{11, "151.82500", "156.80000", "off", "10000025041300006815"},
                    MemoryRow{16, "", "", "", "15000000000000000000"}));

class RadioMemoryFile : public testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void write(const QString& file, const QByteArray& bytes) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QTemporaryDir dir;
};

TEST_F(RadioMemoryFile, UnprogrammedRadioSavesAsAnEmptyTable) {
    ASSERT_EQ(saveRadioMemory(path("radio.doc"), RadioEngine::unprogrammedMemory()), std::nullopt);
    QFile in(path("radio.doc"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), "3," + QByteArray(48, ','));

    const auto loaded = loadRadioMemory(path("radio.doc"));
    ASSERT_TRUE(std::holds_alternative<RadioEngine::Frames>(loaded));
    EXPECT_EQ(std::get<RadioEngine::Frames>(loaded), RadioEngine::unprogrammedMemory());
}

TEST_F(RadioMemoryFile, RefusesWhatMakesNoRadioMemory) {
    write(path("short.doc"), "3,145.00000,145.00000,on,");
    write(path("low.doc"), "3,,50,off," + QByteArray(45, ','));
    for (const char* name : {"missing.doc", "short.doc", "low.doc"}) {
        const auto loaded = loadRadioMemory(path(name));
        ASSERT_TRUE(std::holds_alternative<QString>(loaded)) << name;
        EXPECT_TRUE(std::get<QString>(loaded).contains(path(name))) << name;
    }
}

// The radio's memory goes through the same whole-or-nothing save as 保存.
TEST_F(RadioMemoryFile, AFullDiskKeepsTheMemoryThatWasSaved) {
    const QByteArray programmed = "3,150.00000,150.00000,on," + QByteArray(45, ',');
    write(path("radio.doc"), programmed);
    const auto failure = test::failureUnderFileSizeLimit(16, [&] {
        return saveRadioMemory(path("radio.doc"), RadioEngine::unprogrammedMemory())
            .value_or(QString());
    });
    EXPECT_EQ(failure, "cannot save " + path("radio.doc") + ": File too large");
    EXPECT_EQ(test::fileBytes(path("radio.doc")), programmed);
}

}  // namespace
}  // namespace qm3270

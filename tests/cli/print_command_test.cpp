#include "cli_runner.h"
#include "qstring_printer.h"
#include "test_files.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using qm3270::test::pdfText;
using qm3270::test::writeBytes;

namespace {

class PrintCommand : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString doc = dir.filePath(QStringLiteral("table.doc"));
    QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));

    void SetUp() override {
        ASSERT_TRUE(writeBytes(
            doc, "  5,145.01250,145.01250,off,438.50000,430.50000,on," + QByteArray(42, ',')));
    }
};

// Where a desktop's platform is asked for but there is no display, the sheet
// is still drawn: the command runs on the offscreen platform whatever is set.
TEST_F(PrintCommand, WritesTheSheetWithoutADisplay) {
    const CliRun run = runCli({QStringLiteral("print"), doc, QStringLiteral("-o"), pdf}, {},
                              {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = pdfText(pdf);
    ASSERT_FALSE(text.isEmpty()) << "pdftotext (poppler-utils) must be installed";
    const QDate today = QDate::currentDate();
    for (const QString& expected :
         {QStringLiteral("QM3270 信道表"),
          QStringLiteral("日期：%1年%2月%3日")
              .arg(today.year())
              .arg(today.month())
              .arg(today.day()),
          QStringLiteral("静噪级别：5"), QStringLiteral("信道号"), QStringLiteral("拍频")}) {
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();
    }
    // The channels by their rows, unprogrammed ones with their numbers only.
    EXPECT_TRUE(text.contains(QRegularExpression(
        QStringLiteral("\\n\\s*1\\s+145\\.01250\\s+145\\.01250\\s+off\\s*\\n"))));
    EXPECT_TRUE(text.contains(
        QRegularExpression(QStringLiteral("\\n\\s*2\\s+438\\.50000\\s+430\\.50000\\s+on\\s*\\n"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\n\\s*16\\s*\\n"))));
}

TEST_F(PrintCommand, RefusesWithoutWritingAnything) {
    EXPECT_EQ(runCli({QStringLiteral("print"), doc}).status, 1);  // no -o
    EXPECT_EQ(runCli({QStringLiteral("print"), dir.filePath(QStringLiteral("none.doc")),
                      QStringLiteral("-o"), pdf})
                  .status,
              2);
    const QString belowAFile = doc + QStringLiteral("/sheet.pdf");
    const CliRun unwritable =
        runCli({QStringLiteral("print"), doc, QStringLiteral("-o"), belowAFile});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(unwritable.err.contains(QStringLiteral("cannot save ") + belowAFile))
        << unwritable.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace

// qm3270-cli's radio commands against the simulated radio on a pseudo-terminal:
// the real serial port, the real periods, the radio's faults.

#include "cli_runner.h"
#include "radio_process.h"
#include "test_files.h"
#include "try_wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <memory>
#include <vector>

using qm3270::test::fileBytes;
using qm3270::test::writeBytes;

namespace {

const QString kCli = QStringLiteral(QM3270_BINARY_DIR "/src/cli/qm3270-cli");
const QString kRadio = QStringLiteral(QM3270_BINARY_DIR "/src/sim/qm3270-radio");

// A table with the cases a write and a read treat differently: beat "on", "off"
// and blank, a channel without frequencies but beat "off" (reads back ""), a
// receive-only channel, the edges of the admitted range.
const QByteArray kSample =
    "  3,"
    "150.00000,150.00000,on,"   // 1
    "136.01250,174.00000,on,"   // 2
    ",,off,"                    // 3
    "438.50000,433.50000,on,"   // 4
    "145.61250,145.61250,off,"  // 5
    "151.82500,156.80000,  ,"   // 6
    "145.50000,,off,"           // 7
    ",,,,,,,,,,,,,,,,,,,,,"     // 8 to 14
    "130.00000,500.00000,on,"   // 15
    "499.99375,130.00000,on,";  // 16

const QString kOldOutput = QStringLiteral("kept from an earlier read\n");

// Runs the tool and says how long it took, end to end.
CliRun timedRun(const QStringList& arguments, qint64* milliseconds) {
    QElapsedTimer clock;
    clock.start();
    CliRun run = runCli(arguments);
    *milliseconds = clock.elapsed();
    return run;
}

// What a read prints after a write of the channel file `path`: what `frames`
// sends for it, as `decode` turns it back.
QString readOf(const QString& path) {
    const CliRun frames = runCli({QStringLiteral("frames"), path});
    const CliRun decoded = runCli({QStringLiteral("decode")}, frames.out.toUtf8());
    return frames.status == 0 && decoded.status == 0 ? decoded.out : QString();
}

// One qm3270-radio for one test, terminated when the test is done.
class SimulatedRadio : public qm3270::RadioProcess {
public:
    explicit SimulatedRadio(const QStringList& arguments) : RadioProcess(kRadio, arguments) {}
};

// A radio that takes every write and forgets it: it answers the read command
// with frames of its own, at once. Only this shows what a verify reports.
class ForgetfulRadio : public QObject {
public:
    explicit ForgetfulRadio(const QByteArray& answer) : answer_(answer) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            return;
        }
        device_ = QString::fromLocal8Bit(::ptsname(master_));
        // Held open so that the master does not see a hang-up before the tool opens the line.
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        auto* notifier = new QSocketNotifier(master_, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            char buffer[512];
            const ssize_t count = ::read(master_, buffer, sizeof buffer);
            if (count > 0 && QByteArrayView(buffer, count).contains('5')) {
                [[maybe_unused]] const ssize_t sent =
                    ::write(master_, answer_.constData(), static_cast<size_t>(answer_.size()));
            }
        });
    }
    ~ForgetfulRadio() override {
        for (const int fd : {slave_, master_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    QString device() const { return device_; }

private:
    QByteArray answer_;
    int master_ = -1;
    int slave_ = -1;
    QString device_;
};

}  // namespace

class RadioCommandsE2e : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void writeVerifyThenRead();
    void readFaults_data();
    void readFaults();
    void readSaveFailures_data();
    void readSaveFailures();
    void verifyNamesEachDifferentChannel();
    void writeLineLost();
    void writeTrace();
    void writeRefusedBeforeThePort_data();
    void writeRefusedBeforeThePort();
    void portFailures_data();
    void portFailures();
    void twoWritesThroughTwoNames();
    void portTheUserMayNotOpen();
    void verifyOutcomes_data();
    void verifyOutcomes();
    void writeThreeRadiosOneOff();
    void readTwoRadiosIntoAFolder();
    void backups_data();
    void backups();

private:
    // A radio whose memory holds `table` (a channel file's bytes).
    QString programmedMemory(const QString& name, const QByteArray& table);
    // The frames a write of the channel file `path` sends: how two tables are
    // compared whatever the spelling of their values.
    static QStringList framesOf(const QString& path);

    QTemporaryDir dir_;
    QString sample_;
    // The channel file that a read of the sample must print: what `frames`
    // sends for it, as `decode` turns it back.
    QString expected_;
};

void RadioCommandsE2e::initTestCase() {
    QVERIFY(QFile::exists(kCli));
    QVERIFY(QFile::exists(kRadio));
    QVERIFY(dir_.isValid());
    // The default backup folder lies beside the default database: keep the
    // backups of every run here in the test's folder, never in the real home.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("data"))));
    sample_ = dir_.filePath(QStringLiteral("sample.doc"));
    QVERIFY(writeBytes(sample_, kSample));

    expected_ = readOf(sample_);
    // The blank beat of channel 6 reads back "off", the bare "off" of channel 3 as "".
    QVERIFY(expected_.contains("151.82500,156.80000,off,"));
    QVERIFY(expected_.startsWith("3,150.00000,150.00000,on,136.01250,174.00000,on,,,,"));
}

void RadioCommandsE2e::writeVerifyThenRead() {
    const QString memory = dir_.filePath(QStringLiteral("fresh-radio.doc"));
    QFile::remove(memory);
    SimulatedRadio radio({QStringLiteral("--memory"), memory});
    QVERIFY(!radio.device().isEmpty());

    qint64 writeMs = 0;
    const CliRun written = timedRun({QStringLiteral("write"), QStringLiteral("--port"),
                                     radio.device(), sample_, QStringLiteral("--verify")},
                                    &writeMs);
    QCOMPARE(written.err, QString());  // no progress line when stderr is not a terminal
    QCOMPARE(written.status, 0);
    QCOMPARE(written.out, radio.device() + QStringLiteral(": verified\n"));

    qint64 readMs = 0;
    const CliRun read =
        timedRun({QStringLiteral("read"), QStringLiteral("--port"), radio.device()}, &readMs);
    QCOMPARE(read.err, QString());
    QCOMPARE(read.status, 0);
    QCOMPARE(read.out, expected_);
    qInfo("write --verify took %lld ms, read %lld ms", writeMs, readMs);
}

void RadioCommandsE2e::readFaults_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    QTest::addColumn<qint64>("atLeastMs");

    const QString readFailed = QStringLiteral("qm3270-cli: cannot read the radio: 读数错误！！");
    QTest::newRow("radio off: the first channel times out")
        << QStringList{QStringLiteral("--off")} << 4 << readFailed << qint64{2000};
    QTest::newRow("radio goes silent in channel 6")
        << QStringList{QStringLiteral("--stop-after"), QStringLiteral("110")} << 4 << readFailed
        << qint64{2000};
    QTest::newRow("garbage before the frames")
        << QStringList{QStringLiteral("--noise"), QStringLiteral("C#")} << 4 << readFailed
        << qint64{0};
    QTest::newRow("late poll answer before the frames")
        << QStringList{QStringLiteral("--noise"), QStringLiteral("C")} << 0 << QString()
        << qint64{2500};
    // 321 digits: the whole answer arrives before it is known to be one too many.
    QTest::newRow("a digit before the frames")
        << QStringList{QStringLiteral("--noise"), QStringLiteral("0")} << 4 << readFailed
        << qint64{2500};
    QTest::newRow("the read command echoed by the cable")
        << QStringList{QStringLiteral("--noise"), QStringLiteral("5")} << 0 << QString()
        << qint64{2500};
}

// Each read starts from a radio whose memory is the sample; a failed read
// leaves the -o file as it was.
void RadioCommandsE2e::readFaults() {
    QFETCH(QStringList, faults);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QFETCH(qint64, atLeastMs);

    const QString memory = dir_.filePath(QStringLiteral("programmed-radio.doc"));
    QFile::remove(memory);
    QVERIFY(QFile::copy(sample_, memory));
    SimulatedRadio radio(QStringList{QStringLiteral("--memory"), memory} + faults);
    QVERIFY(!radio.device().isEmpty());
    const QString output = dir_.filePath(QStringLiteral("read.doc"));
    QVERIFY(writeBytes(output, kOldOutput.toUtf8()));

    qint64 readMs = 0;
    const CliRun read = timedRun({QStringLiteral("read"), QStringLiteral("--port"), radio.device(),
                                  QStringLiteral("--output"), output},
                                 &readMs);
    QCOMPARE(read.status, exitCode);
    QVERIFY2(read.err.startsWith(error), qPrintable(read.err));
    QCOMPARE(read.out, QString());
    // Saved without the line end that standard output gets.
    QCOMPARE(QString::fromUtf8(fileBytes(output)),
             exitCode == 0 ? expected_.chopped(1) : kOldOutput);
    QVERIFY2(readMs >= atLeastMs && readMs < atLeastMs + 3000,
             qPrintable(QStringLiteral("%1 ms").arg(readMs)));
}

void RadioCommandsE2e::readSaveFailures_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("diskFills");
    QTest::addColumn<QString>("reason");

    QTest::newRow("disk full one byte short")
        << QStringLiteral("read.doc") << true << QStringLiteral("File too large");
    QTest::newRow("folder missing") << QStringLiteral("missing/read.doc") << false
                                    << QStringLiteral("No such file or directory");
}

// A good read that cannot be saved: status 2, the reason, and the file that was
// there before left byte for byte (not the cut-off start of the new one).
void RadioCommandsE2e::readSaveFailures() {
    QFETCH(QString, output);
    QFETCH(bool, diskFills);
    QFETCH(QString, reason);

    const QString memory = dir_.filePath(QStringLiteral("programmed-radio.doc"));
    QFile::remove(memory);
    QVERIFY(QFile::copy(sample_, memory));
    SimulatedRadio radio({QStringLiteral("--memory"), memory});
    QVERIFY(!radio.device().isEmpty());
    const QString path = dir_.filePath(output);
    const bool existed = writeBytes(path, kOldOutput.toUtf8());

    const QStringList arguments = {QStringLiteral("read"), QStringLiteral("--port"), radio.device(),
                                   QStringLiteral("-o"), path};
    // Room for the port's lock file, but not for the last byte of the channel file.
    const long room = static_cast<long>(expected_.toUtf8().size()) - 2;
    const CliRun read = diskFills ? runCliWithFileSizeLimit(arguments, room) : runCli(arguments);
    QCOMPARE(read.status, 2);
    QCOMPARE(read.err,
             QStringLiteral("qm3270-cli: cannot save %1: 文件保存失败！ %2\n").arg(path, reason));
    QCOMPARE(fileBytes(path), existed ? kOldOutput.toUtf8() : QByteArray());
    QCOMPARE(QFileInfo(path).dir().entryList({QStringLiteral("read.doc*")}, QDir::Files),
             existed ? QStringList{QStringLiteral("read.doc")} : QStringList());
}

void RadioCommandsE2e::verifyNamesEachDifferentChannel() {
    const CliRun frames = runCli({QStringLiteral("frames"), sample_});
    QCOMPARE(frames.status, 0);
    QStringList answer = frames.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(answer.size(), 16);
    answer[0].replace(0, 2, QStringLiteral("04"));         // squelch 4, not 3
    answer[4].replace(12, 8, QStringLiteral("00256114"));  // channel 5 sends 146.12500
    answer[15].replace(0, 2, QStringLiteral("07"));        // a header that a read ignores
    ForgetfulRadio radio(answer.join(QString()).toLatin1());
    QVERIFY(!radio.device().isEmpty());

    QProcess cli;
    cli.start(kCli, {QStringLiteral("write"), QStringLiteral("--port"), radio.device(), sample_,
                     QStringLiteral("--verify")});
    TRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 15000);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitCode(), 5);
    QCOMPARE(err, QStringLiteral(
                      "qm3270-cli: channel 1 differs: wrote \"squelch 3, 150.00000,150.00000,on\", "
                      "read back \"squelch 4, 150.00000,150.00000,on\"\n"
                      "qm3270-cli: channel 5 differs: wrote \"145.61250,145.61250,off\", "
                      "read back \"145.61250,146.12500,off\"\n"
                      "qm3270-cli: 2 of 16 channels differ from %1\n")
                      .arg(sample_));
}

void RadioCommandsE2e::writeLineLost() {
    SimulatedRadio radio({QStringLiteral("--hang-up-after"), QStringLiteral("50")});
    QVERIFY(!radio.device().isEmpty());

    const CliRun written =
        runCli({QStringLiteral("write"), QStringLiteral("--port"), radio.device(), sample_});
    QCOMPARE(written.status, 4);
    QVERIFY2(written.err.startsWith(QStringLiteral(
                 "qm3270-cli: cannot write the radio: 串行端口出错，数据传送中断！")),
             qPrintable(written.err));
    QCOMPARE(written.err.count(u'\n'), 1);  // reported once
}

// --trace holds the write as the radio heard it: "A", then the 16 frames that
// `frames` prints, in order, at the times they went.
void RadioCommandsE2e::writeTrace() {
    const QString memory = dir_.filePath(QStringLiteral("traced-radio.doc"));
    QFile::remove(memory);
    SimulatedRadio radio({QStringLiteral("--memory"), memory});
    QVERIFY(!radio.device().isEmpty());
    const QString trace = dir_.filePath(QStringLiteral("write-trace.txt"));
    const QString unwritable = sample_ + QStringLiteral("/trace.txt");  // below a plain file
    const QByteArray before = fileBytes(memory);

    const CliRun refused = runCli({QStringLiteral("write"), QStringLiteral("--port"),
                                   radio.device(), sample_, QStringLiteral("--trace"), unwritable});
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.startsWith(QStringLiteral("qm3270-cli: cannot open trace ") + unwritable +
                                    QStringLiteral(": ")),
             qPrintable(refused.err));
    QCOMPARE(fileBytes(memory), before);  // nothing was sent

    const CliRun written =
        runCli({QStringLiteral("write"), QStringLiteral("--port"), radio.device(), sample_,
                QStringLiteral("--trace"), trace, QStringLiteral("--no-verify")});
    QCOMPARE(written.status, 0);
    const QStringList frames =
        runCli({QStringLiteral("frames"), sample_}).out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.size(), 16);

    QStringList sent;
    qint64 last = 0;
    for (const QString& line :
         QString::fromLatin1(fileBytes(trace)).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u' ');
        QCOMPARE(parts.size(), 3);
        const qint64 ms = parts[0].toLongLong();
        QVERIFY2(ms >= last, qPrintable(line));
        last = ms;
        if (parts[1] == u">") {
            sent << parts[2];
        }
    }
    QCOMPARE(sent, QStringList{QStringLiteral("A")} + frames);
    QVERIFY(last >= 16 * 100);  // one frame a tick of Timer1
}

void RadioCommandsE2e::writeRefusedBeforeThePort_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    QByteArray outOfRange = kSample;
    outOfRange.replace("438.50000", "520.00000");
    QByteArray squelchTooHigh = kSample;
    squelchTooHigh.replace("  3,", "12,");
    QTest::newRow("frequency above 500 MHz in channel 4")
        << outOfRange << 3 << QStringLiteral("第 4 信道数据无效，未写入对讲机！");
    QTest::newRow("squelch level 12")
        << squelchTooHigh << 3 << QStringLiteral("静燥级别不可大于 9 ！！！");
    QTest::newRow("fewer than 49 values") << kSample.left(kSample.lastIndexOf("130.00000")) << 2
                                          << QStringLiteral("文件格式错误，未读入数据！");
}

// Refused data never gets as far as the port: with a port that does not
// exist, the refusal is the answer, not the port's failure.
void RadioCommandsE2e::writeRefusedBeforeThePort() {
    QFETCH(QByteArray, file);
    QFETCH(int, exitCode);
    QFETCH(QString, error);

    const QString path = dir_.filePath(QStringLiteral("refused.doc"));
    QVERIFY(writeBytes(path, file));
    const CliRun written = runCli({QStringLiteral("write"), QStringLiteral("--port"),
                                   QStringLiteral("/dev/qm3270-no-such-port"), path});
    QCOMPARE(written.status, exitCode);
    QVERIFY2(written.err.contains(error), qPrintable(written.err));
}

void RadioCommandsE2e::portFailures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    const QString missing = QStringLiteral("/dev/qm3270-no-such-port");
    QTest::newRow("read from a missing port")
        << QStringList{QStringLiteral("read"), QStringLiteral("--port"), missing} << 4
        << QStringLiteral("qm3270-cli: cannot open %1: no such device\n").arg(missing);
    QTest::newRow("write to a missing port")
        << QStringList{QStringLiteral("write"), QStringLiteral("--port"), missing, QString()} << 4
        << QStringLiteral("qm3270-cli: cannot open %1: ").arg(missing);
    QTest::newRow("read without a port") << QStringList{QStringLiteral("read")} << 1
                                         << QStringLiteral("qm3270-cli: missing --port DEV");
    QTest::newRow("write without a file")
        << QStringList{QStringLiteral("write"), QStringLiteral("--port"), missing} << 1
        << QStringLiteral("qm3270-cli: missing argument");
}

void RadioCommandsE2e::portFailures() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);

    if (arguments.last().isEmpty()) {
        arguments.last() = sample_;
    }
    const CliRun run = runCli(arguments);
    QCOMPARE(run.status, exitCode);
    QVERIFY2(run.err.startsWith(error), qPrintable(run.err));
    // A write ends with its result line, as each radio of several does.
    QCOMPARE(run.out.isEmpty(), arguments.constFirst() != QStringLiteral("write") || exitCode == 1);
    QVERIFY2(run.out.isEmpty() ||
                 run.out.startsWith(arguments.at(2) + QStringLiteral(": cannot open: ")),
             qPrintable(run.out));
}

// Two programs on one radio under two names of its device (the pty and a link
// to it): the second is refused, and the radio holds one whole table.
void RadioCommandsE2e::twoWritesThroughTwoNames() {
    const QString memory = dir_.filePath(QStringLiteral("shared-radio.doc"));
    const QString link = dir_.filePath(QStringLiteral("radio-link"));
    QFile::remove(memory);
    QFile::remove(link);
    SimulatedRadio radio({QStringLiteral("--memory"), memory, QStringLiteral("--link"), link});
    QVERIFY(!radio.device().isEmpty());
    QByteArray otherTable = kSample;
    otherTable.replace("150.00000,150.00000,on", "160.00000,161.00000,off");
    const QString other = dir_.filePath(QStringLiteral("other.doc"));
    QVERIFY(writeBytes(other, otherTable));

    QProcess viaPty;
    QProcess viaLink;
    viaPty.start(kCli,
                 {QStringLiteral("write"), QStringLiteral("--port"), radio.device(), sample_});
    viaLink.start(kCli, {QStringLiteral("write"), QStringLiteral("--port"), link, other});
    TRY_VERIFY_WITH_TIMEOUT(
        viaPty.state() == QProcess::NotRunning && viaLink.state() == QProcess::NotRunning, 15000);
    const bool ptyWon = viaPty.exitCode() == 0;
    QProcess& loser = ptyWon ? viaLink : viaPty;
    QCOMPARE((QList<int>{viaPty.exitCode(), viaLink.exitCode()}),
             ptyWon ? (QList<int>{0, 4}) : (QList<int>{4, 0}));
    QCOMPARE(QString::fromUtf8(loser.readAllStandardError()),
             QStringLiteral("qm3270-cli: cannot open %1: busy — another program is using it\n")
                 .arg(ptyWon ? link : radio.device()));

    const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("--port"), link});
    QCOMPARE(read.status, 0);
    QCOMPARE(read.out, ptyWon ? expected_ : readOf(other));
}

// A device the user may not open names the group to join. Run as another user
// (tests run as root, who may open anything) against a pty given to a group.
void RadioCommandsE2e::portTheUserMayNotOpen() {
    if (::geteuid() != 0) {
        QSKIP("needs root: the device is handed to a group and the tool run as nobody");
    }
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        QSKIP("setpriv (util-linux) is not installed: cannot run the tool as nobody");
    }
    const group* owners = ::getgrnam("dialout");
    const gid_t gid = owners != nullptr ? owners->gr_gid : 0;
    const QString groupName =
        owners != nullptr ? QStringLiteral("dialout") : QStringLiteral("root");
    ForgetfulRadio radio{QByteArray()};
    QVERIFY(!radio.device().isEmpty());
    const QByteArray device = QFile::encodeName(radio.device());
    QCOMPARE(::chown(device.constData(), 0, gid), 0);
    QCOMPARE(::chmod(device.constData(), 0660), 0);
    // A copy that nobody may run, wherever the build tree lives.
    QTemporaryDir bin;
    QVERIFY(QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::ExeOther));
    const QString cli = bin.filePath(QStringLiteral("qm3270-cli"));
    QVERIFY(QFile::copy(kCli, cli));

    QProcess run;
    run.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                        QStringLiteral("--clear-groups"), cli, QStringLiteral("read"),
                        QStringLiteral("--port"), radio.device()});
    TRY_VERIFY_WITH_TIMEOUT(run.state() == QProcess::NotRunning, 10000);
    QCOMPARE(QString::fromUtf8(run.readAllStandardError()),
             QStringLiteral("qm3270-cli: cannot open %1: permission denied — add yourself to the "
                            "group that owns it (sudo usermod -aG %2 $USER) and log in again\n")
                 .arg(radio.device(), groupName));
    QCOMPARE(run.exitCode(), 4);
}

QString RadioCommandsE2e::programmedMemory(const QString& name, const QByteArray& table) {
    const QString memory = dir_.filePath(name);
    return writeBytes(memory, table) ? memory : QString();
}

QStringList RadioCommandsE2e::framesOf(const QString& path) {
    const CliRun frames = runCli({QStringLiteral("frames"), path});
    return frames.status == 0 ? frames.out.split(u'\n', Qt::SkipEmptyParts) : QStringList();
}

void RadioCommandsE2e::verifyOutcomes_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    QByteArray otherChannel4 = kSample;
    otherChannel4.replace("438.50000,433.50000", "438.50000,434.00000");
    QTest::newRow("radio holds the file") << QStringList() << kSample << 0 << QString();
    QTest::newRow("channel 4 differs")
        << QStringList() << otherChannel4 << 5
        << QStringLiteral(
               "qm3270-cli: channel 4 differs: wrote \"438.50000,434.00000,on\", read back "
               "\"438.50000,433.50000,on\"\nqm3270-cli: 1 of 16 channels differ from ");
    QTest::newRow("radio off") << QStringList{QStringLiteral("--off")} << kSample << 4
                               << QStringLiteral("qm3270-cli: cannot read the radio: 读数错误！！");
}

// The sample is written into the radio, then compared with `file`: the radio's
// memory is never touched by the verify.
void RadioCommandsE2e::verifyOutcomes() {
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, file);
    QFETCH(int, exitCode);
    QFETCH(QString, error);

    const QString memory = dir_.filePath(QStringLiteral("verified-radio.doc"));
    QFile::remove(memory);
    SimulatedRadio radio(QStringList{QStringLiteral("--memory"), memory} + faults);
    QVERIFY(!radio.device().isEmpty());
    // The write reads the radio back by itself: one that is off fails it.
    const CliRun write = runCli({QStringLiteral("write"), QStringLiteral("--no-backup"),
                                 QStringLiteral("--port"), radio.device(), sample_});
    QCOMPARE(write.status, faults.isEmpty() ? 0 : 4);
    QVERIFY2(write.out.startsWith(radio.device() + (faults.isEmpty() ? QStringLiteral(": verified")
                                                                     : QStringLiteral(": cannot"))),
             qPrintable(write.out));
    const QByteArray written = fileBytes(memory);
    const QString path = dir_.filePath(QStringLiteral("compared.doc"));
    QVERIFY(writeBytes(path, file));

    const CliRun verified =
        runCli({QStringLiteral("verify"), QStringLiteral("--port"), radio.device(), path});
    QCOMPARE(verified.status, exitCode);
    QVERIFY2(verified.err.startsWith(error), qPrintable(verified.err));
    QCOMPARE(verified.err.isEmpty(), error.isEmpty());
    QCOMPARE(verified.out.startsWith(radio.device() + QStringLiteral(": verified")), exitCode == 0);
    QCOMPARE(fileBytes(memory), written);
}

// Three radios written at once, the third switched off: a line for each, the
// worst status, and the two that answer hold the table.
void RadioCommandsE2e::writeThreeRadiosOneOff() {
    std::vector<std::unique_ptr<SimulatedRadio>> radios;
    QStringList arguments = {QStringLiteral("write"), sample_, QStringLiteral("--verify"),
                             QStringLiteral("--no-backup")};
    for (const QStringList& faults : {QStringList(), QStringList(), QStringList{"--off"}}) {
        const QString memory = dir_.filePath(QStringLiteral("fleet-%1.doc").arg(radios.size()));
        QFile::remove(memory);
        radios.push_back(std::make_unique<SimulatedRadio>(
            QStringList{QStringLiteral("--memory"), memory} + faults));
        QVERIFY(!radios.back()->device().isEmpty());
        arguments << QStringLiteral("--port") << radios.back()->device();
    }

    qint64 ms = 0;
    const CliRun written = timedRun(arguments, &ms);
    QCOMPARE(written.status, 4);
    QCOMPARE(written.out,
             QStringLiteral("%1: verified\n%2: verified\n%3: cannot read the radio back: "
                            "读数错误！！ (no complete answer of 16 channel frames: is the radio "
                            "switched on, connected and idle?)\n")
                 .arg(radios[0]->device(), radios[1]->device(), radios[2]->device()));
    // Side by side, not one after another: three writes with verify in the time of one.
    QVERIFY2(ms < 2 * 5800, qPrintable(QStringLiteral("%1 ms").arg(ms)));
    for (std::size_t k = 0; k < 2; ++k) {
        const CliRun read =
            runCli({QStringLiteral("read"), QStringLiteral("--port"), radios[k]->device()});
        QCOMPARE(read.out, expected_);
    }
}

void RadioCommandsE2e::readTwoRadiosIntoAFolder() {
    QByteArray otherTable = kSample;
    otherTable.replace("150.00000,150.00000,on", "160.00000,161.00000,off");
    const QString other = dir_.filePath(QStringLiteral("other-table.doc"));
    QVERIFY(writeBytes(other, otherTable));
    SimulatedRadio first({QStringLiteral("--memory"), programmedMemory("first.doc", kSample)});
    SimulatedRadio second({QStringLiteral("--memory"), programmedMemory("second.doc", otherTable)});
    QVERIFY(!first.device().isEmpty() && !second.device().isEmpty());
    const QString folder = dir_.filePath(QStringLiteral("read-folder"));

    const CliRun refused = runCli({QStringLiteral("read"), QStringLiteral("--port"), first.device(),
                                   QStringLiteral("--port"), second.device()});
    QCOMPARE(refused.status, 1);
    const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("--no-backup"),
                                QStringLiteral("--port"), first.device(), QStringLiteral("--port"),
                                second.device(), QStringLiteral("-o"), folder});
    QCOMPARE(read.status, 0);
    // /dev/pts/N is saved as pts-N.doc.
    const QString firstFile = folder + u'/' + first.device().mid(5).replace(u'/', u'-') + ".doc";
    const QString secondFile = folder + u'/' + second.device().mid(5).replace(u'/', u'-') + ".doc";
    QCOMPARE(read.out, QStringLiteral("%1: read into %2\n%3: read into %4\n")
                           .arg(first.device(), firstFile, second.device(), secondFile));
    QCOMPARE(QString::fromUtf8(fileBytes(firstFile)), expected_.chopped(1));
    QCOMPARE(QString::fromUtf8(fileBytes(secondFile)), readOf(other).chopped(1));
}

void RadioCommandsE2e::backups_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("backupOption");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("event");  // the one backup expected, "" for none

    const QString write = QStringLiteral("write");
    const QString read = QStringLiteral("read");
    const QString off = QStringLiteral("--no-backup");
    const QString below = QStringLiteral("below a file");  // a folder that cannot be made
    QTest::newRow("write keeps the written table")
        << write << QString() << 0 << QStringLiteral("written");
    QTest::newRow("read keeps the file it replaces")
        << read << QString() << 0 << QStringLiteral("before-read");
    QTest::newRow("write --no-backup") << write << off << 0 << QString();
    QTest::newRow("read --no-backup") << read << off << 0 << QString();
    QTest::newRow("write, folder unwritable: radio written, status 2")
        << write << below << 2 << QString();
    QTest::newRow("read, folder unwritable: file kept") << read << below << 2 << QString();
}

// The radio holds the sample; the read replaces a file that holds another table.
void RadioCommandsE2e::backups() {
    QFETCH(QString, command);
    QFETCH(QString, backupOption);
    QFETCH(int, exitCode);
    QFETCH(QString, event);

    QByteArray otherTable = kSample;
    otherTable.replace("136.01250,174.00000,on", "136.02500,174.00000,off");
    const QString memory = programmedMemory(QStringLiteral("backed-radio.doc"),
                                            command == u"read" ? kSample : otherTable);
    SimulatedRadio radio({QStringLiteral("--memory"), memory});
    QVERIFY(!radio.device().isEmpty());
    const QString replaced = dir_.filePath(QStringLiteral("replaced.doc"));
    QVERIFY(writeBytes(replaced, otherTable));
    const QString other = dir_.filePath(QStringLiteral("other-backed.doc"));
    QVERIFY(writeBytes(other, otherTable));
    QTemporaryDir backupDir;
    QStringList arguments = {command, QStringLiteral("--port"), radio.device()};
    arguments << (command == u"read" ? QStringList{QStringLiteral("-o"), replaced}
                                     : QStringList{sample_});
    if (backupOption == u"--no-backup") {
        arguments << backupOption;
    } else {
        const QString folder =
            backupOption.isEmpty() ? backupDir.path() : sample_ + QStringLiteral("/backups");
        arguments << QStringLiteral("--backup-dir") << folder;
    }

    const CliRun run = runCli(arguments);
    QCOMPARE(run.status, exitCode);
    QCOMPARE(run.err.startsWith(QStringLiteral("qm3270-cli: cannot save backup ") + sample_ +
                                QStringLiteral("/backups/")),
             exitCode == 2);
    // Written: the radio holds the sample, backed up or not.
    QCOMPARE(runCli({QStringLiteral("read"), QStringLiteral("--port"), radio.device()}).out,
             expected_);
    QCOMPARE(fileBytes(replaced),
             command == u"read" && exitCode == 0 ? expected_.chopped(1).toUtf8() : otherTable);
    const QStringList kept = QDir(backupDir.path()).entryList(QDir::Files);
    QCOMPARE(kept.size(), event.isEmpty() ? 0 : 1);
    if (!event.isEmpty()) {
        QVERIFY2(kept.constFirst().endsWith(u'-' + event + QStringLiteral(".doc")),
                 qPrintable(kept.constFirst()));
        // The table as it was: the sample written, the file before the read.
        QCOMPARE(framesOf(backupDir.filePath(kept.constFirst())),
                 framesOf(command == u"read" ? other : sample_));
    }
}

QTEST_GUILESS_MAIN(RadioCommandsE2e)
#include "tst_radio_e2e.moc"

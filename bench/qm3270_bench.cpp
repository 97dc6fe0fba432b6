// qm3270-bench: how close the window's transfers come to the line's own pace,
// how smoothly the window runs meanwhile, and what start-up costs. Runs the
// real main window and serial port against qm3270-radio on a pseudo-terminal
// and prints one JSON object. See docs/benchmark.md.

#include "channels/channel_store.h"
#include "continuous_bench.h"
#include "file/channel_file.h"
#include "link/serial_port.h"
#include "radio_process.h"
#include "sheet/fonts.h"
#include "ui/file_chooser.h"
#include "ui/main_window.h"
#include "ui/message_presenter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace qm3270;

namespace {

// 1200 baud 8N1: ten bit times a character.
constexpr double kCharacterMs = 10'000.0 / 1200.0;
// What each transfer has to carry at that speed: "A" and 16 frames of 20
// characters out, 16 frames in.
constexpr int kWriteCharacters = 321;
constexpr int kReadCharacters = 320;
constexpr double kRatioTarget = 1.05;
constexpr double kPauseTargetMs = 50.0;
// Eight radios written and verified side by side, against one.
constexpr int kFleetSize = 8;
constexpr double kFleetRatioTarget = 1.1;
// A line of radios written one after another: each radio's turn against the
// line time of its read, write and verify.
constexpr int kContinuousRadios = 3;
constexpr double kContinuousRatioTarget = 1.1;
// The ready watch's period: its first poll leaves this long after start-up.
constexpr double kReadyTickMs = 100.0;

const QString kWriteDone = QStringLiteral("数据传送完毕...");
const QString kReadDone = QStringLiteral("读出信道数据完毕！");
const QString kReady = QStringLiteral("对讲机就绪...");

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "qm3270-bench: %s\n", qPrintable(why));
    std::exit(1);
}

// The bench answers no dialog; a message means the run went wrong.
class FailingPresenter : public MessagePresenter {
public:
    void show(QWidget*, const UserMessage& message) override {
        fail(QStringLiteral("the window showed \"%1\"").arg(message.text));
    }
    bool ask(QWidget*, const UserMessage& question) override {
        fail(QStringLiteral("the window asked \"%1\"").arg(question.text));
    }
};
class NoFiles : public FileChooser {
public:
    QString chooseOpen(QWidget*, const QString&) override { return {}; }
    QString chooseSave(QWidget*, const QString&) override { return {}; }
    QString chooseBackup(QWidget*, const QString&, const ChannelFile&) override { return {}; }
    QString chooseCsvOpen(QWidget*, const QString&) override { return {}; }
    QString chooseCsvSave(QWidget*, const QString&) override { return {}; }
};

// A table with every channel programmed, so that every frame carries data.
ChannelTable fullTable() {
    ChannelTable table;
    for (int row = 0; row < kChannelCount; ++row) {
        auto& record = table.at(static_cast<std::size_t>(row));
        record[kChannelNumber] = QString::number(row + 1);
        record[kReceive] = QString::number(145.0 + (row * 0.5), 'f', 5);
        record[kTransmit] = QString::number(440.0 - (row * 1.25), 'f', 5);
        record[kBeat] = row % 2 == 0 ? QStringLiteral("on") : QStringLiteral("off");
    }
    return table;
}
ChannelTable emptyTable() {
    ChannelTable table;
    for (int row = 0; row < kChannelCount; ++row) {
        auto& record = table.at(static_cast<std::size_t>(row));
        record[kChannelNumber] = QString::number(row + 1);
        record[kReceive] = record[kTransmit] = record[kBeat] = QStringLiteral("");
    }
    return table;
}

// One qm3270-radio with a character log.
class Radio {
public:
    Radio(const QString& program, const QString& logPath)
        : process_(program, {QStringLiteral("--log"), logPath}), logPath_(logPath) {
        if (process_.device().isEmpty()) {
            fail(QStringLiteral("cannot start %1").arg(program));
        }
    }

    QString device() const { return process_.device(); }

    struct Heard {
        double atMs;  // the radio's clock
        char character;
    };
    // The characters the radio received (`heard`) or sent, from byte `offset`
    // of its log on.
    std::vector<Heard> logSince(qint64 offset, bool heard = true) const {
        std::vector<Heard> characters;
        for (const RadioProcess::LogEntry& entry : RadioProcess::readLog(logPath_, offset)) {
            if (entry.heard == heard) {
                characters.push_back({entry.atSeconds * 1000.0, entry.character});
            }
        }
        return characters;
    }
    qint64 logSize() const { return QFileInfo(logPath_).size(); }

private:
    RadioProcess process_;
    QString logPath_;
};

// Ticks every 2 ms and keeps the longest gap between two ticks: how long the
// window's event loop was busy elsewhere.
class PauseMeter : public QObject {
public:
    explicit PauseMeter(std::function<void()> onTick) : onTick_(std::move(onTick)) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(2);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
            longestMs_ = std::max(longestMs_, now - lastMs_);
            lastMs_ = now;
            onTick_();
        });
        clock_.start();
        timer_.start();
    }
    void reset() {
        lastMs_ = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        longestMs_ = 0;
    }
    double longestMs() const { return longestMs_; }

private:
    std::function<void()> onTick_;
    QTimer timer_;
    QElapsedTimer clock_;
    double lastMs_ = 0;
    double longestMs_ = 0;
};

double sinceMs(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Runs the event loop until `done` or `limitMs` has passed.
bool waitFor(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// When the radio has heard the last character of a write on a real 1200 baud
// line. A pseudo-terminal carries what the program hands over at once, so
// each character is put on a modelled line at the moment the radio's log saw
// it arrive, and takes a character time there after the one before it.
double lineArrivalOfLastMs(const std::vector<Radio::Heard>& write, double firstHandedMs) {
    double lineFreeMs = 0;
    for (const Radio::Heard& heard : write) {
        const double handedMs = firstHandedMs + (heard.atMs - write.front().atMs);
        lineFreeMs = std::max(lineFreeMs, handedMs) + kCharacterMs;
    }
    return lineFreeMs;
}

qint64 peakRssKib(const QString& statusPath) {
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
        }
    }
    return -1;
}

// `qm3270-cli write --verify` of `file` into every radio of `devices` at once:
// the milliseconds from spawn to exit. Anything but every radio verified
// stops the bench.
double timedFleetWrite(const QString& cli, const QString& file, const QStringList& devices) {
    QStringList arguments = {QStringLiteral("write"), QStringLiteral("--verify"),
                             QStringLiteral("--no-backup"), file};
    for (const QString& device : devices) {
        arguments << QStringLiteral("--port") << device;
    }
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(cli, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        fail(QStringLiteral("%1 did not end").arg(cli));
    }
    const double ms = sinceMs(clock);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    if (process.exitCode() != 0 ||
        (devices.size() > 1 && out.count(QStringLiteral(": verified\n")) != devices.size())) {
        fail(QStringLiteral("write --verify to %1 radios: status %2, %3%4")
                 .arg(devices.size())
                 .arg(process.exitCode())
                 .arg(out, err));
    }
    return ms;
}

struct Measured {
    double writeMs = 0;
    double writePtyMs = 0;
    double readMs = 0;
    double radioAnswerMs = 0;  // from the read command heard to the last frame sent
    double writePauseMs = 0;
    double readPauseMs = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer startUpClock;
    startUpClock.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qm3270-bench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the window's write and read against qm3270-radio at 1200 baud."));
    parser.addHelpOption();
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/");
    const QCommandLineOption radioOption(QStringLiteral("radio"),
                                         QStringLiteral("The simulator (default: %1).")
                                             .arg(built + QStringLiteral("sim/qm3270-radio")),
                                         QStringLiteral("PATH"),
                                         built + QStringLiteral("sim/qm3270-radio"));
    const QCommandLineOption programOption(
        QStringLiteral("program"), QStringLiteral("The window program, for its start-up."),
        QStringLiteral("PATH"), built + QStringLiteral("app/qm3270"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Writes and reads to time (default 3)."),
                                        QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Each run's figures on stderr."));
    const QCommandLineOption cliOption(
        QStringLiteral("cli"), QStringLiteral("The command line program, for the many radios."),
        QStringLiteral("PATH"), built + QStringLiteral("cli/qm3270-cli"));
    const QCommandLineOption swapOption(
        QStringLiteral("swap-ms"),
        QStringLiteral("Continuous write: time to swap one radio for the next (default 3000)."),
        QStringLiteral("MS"), QStringLiteral("3000"));
    parser.addOptions(
        {radioOption, programOption, cliOption, runsOption, verboseOption, swapOption});
    parser.process(app);
    const bool verbose = parser.isSet(verboseOption);
    const int runs = std::max(1, parser.value(runsOption).toInt());

    QTemporaryDir folder;
    if (!folder.isValid()) {
        fail(QStringLiteral("cannot make a temporary folder"));
    }
    Radio radio(parser.value(radioOption), folder.filePath(QStringLiteral("radio.log")));

    // Start-up in this process: from the program's first line to the window
    // painted, its port open and the ready watch running.
    installFontSubstitutions();
    FailingPresenter messages;
    NoFiles files;
    QString error;
    auto store = ChannelStore::open(folder.filePath(QStringLiteral("qm3270.db")), &error);
    if (!store) {
        fail(error);
    }
    SerialPort port;
    MainWindow window({.store = *store,
                       .port = port,
                       .messages = messages,
                       .files = files,
                       .explicitPort = radio.device()});
    bool painted = false;
    struct PaintSpy : QObject {
        bool* painted;
        explicit PaintSpy(bool* flag) : painted(flag) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                *painted = true;
            }
            return false;
        }
    } paintSpy(&painted);
    window.installEventFilter(&paintSpy);
    window.startUp();
    if (!waitFor([&] { return painted; }, 10000)) {
        fail(QStringLiteral("the window was never painted"));
    }
    const double startUpMs = sinceMs(startUpClock);

    auto* status = window.findChild<QLabel*>(QStringLiteral("Label2"));
    auto* squelch = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* writeAction = window.findChild<QAction*>(QStringLiteral("写信道"));
    auto* readAction = window.findChild<QAction*>(QStringLiteral("读信道"));

    // Label2 and the port are looked at on every tick of the meter, so the
    // times below are good to about 2 ms.
    QElapsedTimer clock;
    clock.start();
    std::optional<double> firstHandedMs;  // the write command left the program
    std::optional<double> statusDoneMs;
    QString awaitedStatus;
    bool awaitingHandOver = false;
    PauseMeter meter([&] {
        if (awaitingHandOver && port.outputDrained()) {
            firstHandedMs = sinceMs(clock);
            awaitingHandOver = false;
        }
        if (!statusDoneMs && !awaitedStatus.isEmpty() && status->text() == awaitedStatus) {
            statusDoneMs = sinceMs(clock);
        }
    });
    double lastRowStoredMs = 0;
    QObject::connect(store.get(), &ChannelStore::rowChanged, &app,
                     [&] { lastRowStoredMs = sinceMs(clock); });

    const ChannelTable table = fullTable();
    const QString tableSquelch = QStringLiteral("6");
    std::vector<Measured> measured;
    for (int run = 0; run < runs; ++run) {
        Measured m;
        if (!store->replaceColumns(table, {kReceive, kTransmit, kBeat})) {
            fail(store->lastError());
        }
        squelch->setEditText(tableSquelch);
        if (!waitFor([&] { return status->text() == kReady; }, 5000)) {
            fail(QStringLiteral("the radio does not answer the ready poll"));
        }

        // The write: from the click to the radio's last character.
        const qint64 logOffset = radio.logSize();
        firstHandedMs.reset();
        statusDoneMs.reset();
        awaitedStatus = kWriteDone;
        meter.reset();
        const double clickMs = sinceMs(clock);
        awaitingHandOver = true;
        writeAction->trigger();
        if (!waitFor([&] { return statusDoneMs.has_value(); }, 10000)) {
            fail(QStringLiteral("the write did not end"));
        }
        m.writePauseMs = meter.longestMs();
        awaitedStatus.clear();
        std::vector<Radio::Heard> heard = radio.logSince(logOffset);
        const auto start = std::find_if(heard.begin(), heard.end(),
                                        [](const Radio::Heard& h) { return h.character == 'A'; });
        if (std::distance(start, heard.end()) < kWriteCharacters || !firstHandedMs) {
            fail(QStringLiteral("the radio did not hear the whole write"));
        }
        const std::vector<Radio::Heard> write(start, start + kWriteCharacters);
        m.writeMs = lineArrivalOfLastMs(write, *firstHandedMs - clickMs);
        m.writePtyMs = (*firstHandedMs - clickMs) + (write.back().atMs - write.front().atMs);

        // The read: from the click to the table committed.
        if (!store->replaceColumns(emptyTable(), {kReceive, kTransmit, kBeat})) {
            fail(store->lastError());
        }
        squelch->setEditText(QStringLiteral("0"));
        if (!waitFor([&] { return status->text() == kReady; }, 5000)) {
            fail(QStringLiteral("the radio does not answer the ready poll"));
        }
        const qint64 readLogOffset = radio.logSize();
        statusDoneMs.reset();
        awaitedStatus = kReadDone;
        meter.reset();
        const double readClickMs = sinceMs(clock);
        readAction->trigger();
        if (!waitFor([&] { return statusDoneMs.has_value(); }, 10000)) {
            fail(QStringLiteral("the read did not end"));
        }
        m.readPauseMs = meter.longestMs();
        awaitedStatus.clear();
        m.readMs = lastRowStoredMs - readClickMs;
        const auto command = radio.logSince(readLogOffset);
        const auto answer = radio.logSince(readLogOffset, false);
        if (!command.empty() && !answer.empty()) {
            m.radioAnswerMs = answer.back().atMs - command.front().atMs;
        }
        if (verbose) {
            std::fprintf(stderr,
                         "run %d: write %.1f ms (pty %.1f, longest pause %.1f); read %.1f ms "
                         "(radio answer %.1f, longest pause %.1f)\n",
                         run + 1, m.writeMs, m.writePtyMs, m.writePauseMs, m.readMs,
                         m.radioAnswerMs, m.readPauseMs);
        }
        if (store->records() != table || squelch->currentText() != tableSquelch) {
            fail(QStringLiteral("the read did not bring the written table back"));
        }
        measured.push_back(m);
    }
    const qint64 benchPeakKib = peakRssKib(QStringLiteral("/proc/self/status"));

    // Start-up of the program itself: spawned under the same platform, timed to
    // its first ready poll on a radio of its own, less the watch's first period.
    Radio ownRadio(parser.value(radioOption), folder.filePath(QStringLiteral("own-radio.log")));
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer spawnClock;
    spawnClock.start();
    program.start(parser.value(programOption),
                  {QStringLiteral("--db"), folder.filePath(QStringLiteral("program.db")),
                   QStringLiteral("--port"), ownRadio.device()});
    if (!waitFor([&] { return !ownRadio.logSince(0).empty(); }, 10000)) {
        fail(QStringLiteral("%1 never polled its radio").arg(parser.value(programOption)));
    }
    const double programStartUpMs = sinceMs(spawnClock) - kReadyTickMs;
    waitFor([] { return false; }, 1000);  // settled: the watch has seen the radio
    const qint64 programPeakKib =
        peakRssKib(QStringLiteral("/proc/%1/status").arg(program.processId()));
    program.terminate();
    program.waitForFinished(3000);

    // Many radios: the same table written and verified into 8 simulators at
    // once by one qm3270-cli, against the same into one of them.
    const QString fleetFile = folder.filePath(QStringLiteral("fleet.doc"));
    if (const auto reason = writeChannelFile(fleetFile, tableSquelch, table)) {
        fail(*reason);
    }
    std::vector<std::unique_ptr<RadioProcess>> fleet;
    QStringList fleetDevices;
    for (int k = 0; k < kFleetSize; ++k) {
        fleet.push_back(std::make_unique<RadioProcess>(
            parser.value(radioOption),
            QStringList{QStringLiteral("--memory"),
                        folder.filePath(QStringLiteral("fleet-%1.doc").arg(k))}));
        if (fleet.back()->device().isEmpty()) {
            fail(QStringLiteral("cannot start %1").arg(parser.value(radioOption)));
        }
        fleetDevices << fleet.back()->device();
    }
    double oneRadioMs = 0;
    double fleetMs = 0;
    double fleetRatio = 0;
    for (int run = 0; run < runs; ++run) {
        const double one =
            timedFleetWrite(parser.value(cliOption), fleetFile, {fleetDevices.constFirst()});
        const double eight = timedFleetWrite(parser.value(cliOption), fleetFile, fleetDevices);
        if (verbose) {
            std::fprintf(stderr, "run %d: write --verify, 1 radio %.1f ms, %d radios %.1f ms\n",
                         run + 1, one, kFleetSize, eight);
        }
        if (eight / one > fleetRatio) {
            fleetRatio = eight / one;
            oneRadioMs = one;
            fleetMs = eight;
        }
    }

    // One cable, many radios: a line of radios written one after another.
    const int swapMs = std::max(0, parser.value(swapOption).toInt());
    const ContinuousFigures continuous =
        measureContinuousWrite(parser.value(radioOption), folder.path(), kContinuousRadios, swapMs);
    if (verbose) {
        std::fprintf(stderr, "continuous write: worst radio %.1f ms, a radio every %.1f ms\n",
                     continuous.worstRadioMs, continuous.cycleMs);
    }

    auto worst = [&](double Measured::*field) {
        double value = 0;
        for (const Measured& m : measured) {
            value = std::max(value, m.*field);
        }
        return value;
    };
    const double writeRatio = worst(&Measured::writeMs) / (kWriteCharacters * kCharacterMs);
    const double readRatio = worst(&Measured::readMs) / (kReadCharacters * kCharacterMs);
    const double writePause = worst(&Measured::writePauseMs);
    const double readPause = worst(&Measured::readPauseMs);
    auto rounded = [](double value, int places) {
        return QString::number(value, 'f', places).toDouble();
    };

    QJsonObject result{
        {QStringLiteral("write_ratio"), rounded(writeRatio, 3)},
        {QStringLiteral("read_ratio"), rounded(readRatio, 3)},
        {QStringLiteral("write_max_pause_ms"), rounded(writePause, 1)},
        {QStringLiteral("read_max_pause_ms"), rounded(readPause, 1)},
        {QStringLiteral("startup_ms"), rounded(startUpMs, 1)},
        {QStringLiteral("peak_rss_kib"), programPeakKib},
        {QStringLiteral("write_ms"), rounded(worst(&Measured::writeMs), 1)},
        {QStringLiteral("write_pty_ms"), rounded(worst(&Measured::writePtyMs), 1)},
        {QStringLiteral("read_ms"), rounded(worst(&Measured::readMs), 1)},
        {QStringLiteral("program_startup_ms"), rounded(programStartUpMs, 1)},
        {QStringLiteral("bench_peak_rss_kib"), benchPeakKib},
        {QStringLiteral("fleet_ratio"), rounded(fleetRatio, 3)},
        {QStringLiteral("fleet_radios"), kFleetSize},
        {QStringLiteral("fleet_one_radio_ms"), rounded(oneRadioMs, 1)},
        {QStringLiteral("fleet_ms"), rounded(fleetMs, 1)},
        {QStringLiteral("continuous_ratio"), rounded(continuous.worstRatio, 3)},
        {QStringLiteral("continuous_pty_ratio"), rounded(continuous.ptyRatio, 3)},
        {QStringLiteral("continuous_radio_ms"), rounded(continuous.worstRadioMs, 1)},
        {QStringLiteral("continuous_write_pty_ms"), rounded(continuous.writeMs, 1)},
        {QStringLiteral("continuous_cycle_ms"), rounded(continuous.cycleMs, 1)},
        {QStringLiteral("continuous_swap_ms"), swapMs},
        {QStringLiteral("continuous_radios_per_hour"), rounded(continuous.radiosPerHour, 0)},
        {QStringLiteral("runs"), runs},
        {QStringLiteral("platform"), QGuiApplication::platformName()},
        {QStringLiteral("targets_met"),
         writeRatio <= kRatioTarget && readRatio <= kRatioTarget && writePause <= kPauseTargetMs &&
             readPause <= kPauseTargetMs && fleetRatio <= kFleetRatioTarget &&
             continuous.worstRatio <= kContinuousRatioTarget},
    };
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    window.close();
    return 0;
}

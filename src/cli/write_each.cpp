#include "cli/write_each.h"

#include "channels/channel_store.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "cli/progress_line.h"
#include "cli/radio_line.h"
#include "cli/write_check.h"
#include "session/continuous_write.h"
#include "session/radio_session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <csignal>

namespace qm3270::cli {

namespace {

using Outcome = ContinuousWrite::Radio::Outcome;

// How often a lost line is tried again: a cable that comes back is used.
constexpr std::chrono::milliseconds kReopenPeriod{500};

std::array<int, 2> signalPipe{-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM, heard on the event loop for as long as it lives.
class EndRequest {
public:
    explicit EndRequest(std::function<void()> asked) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe.data()) != 0) {
            return;  // the signals keep their default action
        }
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [asked = std::move(asked)] {
                             char byte = 0;
                             [[maybe_unused]] const ssize_t ignored =
                                 ::read(signalPipe[0], &byte, 1);
                             asked();
                         });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~EndRequest() {
        if (!notifier_) {
            return;
        }
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
        notifier_.reset();
        for (int& fd : signalPipe) {
            ::close(fd);
            fd = -1;
        }
    }
    EndRequest(const EndRequest&) = delete;
    EndRequest& operator=(const EndRequest&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

QString reasonOf(const std::optional<UserMessage>& failure) {
    if (!failure) {
        return {};
    }
    return failure->detail.isEmpty()
               ? failure->text
               : QStringLiteral("%1 (%2)").arg(failure->text, failure->detail);
}

QString channelList(const QList<int>& channels) {
    QStringList numbers;
    for (const int channel : channels) {
        numbers << QString::number(channel);
    }
    return QStringLiteral("%1 %2").arg(
        channels.size() == 1 ? QStringLiteral("channel") : QStringLiteral("channels"),
        numbers.join(QStringLiteral(", ")));
}

// The line and the exit status of one radio.
std::pair<QString, int> described(const ContinuousWrite::Radio& radio) {
    const QString reason = reasonOf(radio.failure);
    switch (radio.outcome) {
        case Outcome::Verified:
            return {QStringLiteral("verified"), kSuccess};
        case Outcome::NotRead:
            return {QStringLiteral("cannot read its old table: %1, not written").arg(reason),
                    kRadioFailure};
        case Outcome::NotBackedUp:
            return {QStringLiteral("cannot save its old table: %1, not written").arg(reason),
                    kBadInput};
        case Outcome::Refused:
            return {QStringLiteral("not written: %1").arg(reason), kRefused};
        case Outcome::WriteFailed:
            return {QStringLiteral("cannot write the radio: %1").arg(reason), kRadioFailure};
        case Outcome::VerifyDiffers:
            return {QStringLiteral("verify found %1 different").arg(channelList(radio.differing)),
                    kDifferent};
        case Outcome::VerifyFailed:
            return {QStringLiteral("cannot read the radio back: %1").arg(reason), kRadioFailure};
    }
    return {reason, kRadioFailure};
}

}  // namespace

int writeEach(const QString& device, const QString& trace, const ChannelFile& file,
              const CliBackups& backups, std::optional<int> count) {
    QString error;
    const auto store = ChannelStore::open(QStringLiteral(":memory:"), &error);
    // The table as the window would hold it after opening the file: channel
    // numbers by position.
    if (!store || !store->replaceColumns(numberedByPosition(file.rows),
                                         {kChannelNumber, kReceive, kTransmit, kBeat})) {
        return fail(kBadInput, QStringLiteral("hold the table"),
                    store ? store->lastError() : error);
    }
    RadioLine line;
    if (const auto status = line.openTraced(device, trace)) {
        return *status;
    }
    Port& port = line.port();
    RadioSession session(*store, port, LinkTiming{});
    session.setSquelchSource([&file] { return file.squelch; });
    session.setBackupFolder(backups.folder());
    session.setVerifyAfterWrite(true);
    ContinuousWrite continuous(session, *store, port, LinkTiming{});
    continuous.setSquelchSource([&file] { return file.squelch; });

    // A cable pulled out is opened again as soon as it is back.
    QTimer reopen;
    reopen.setInterval(kReopenPeriod);
    QObject::connect(&reopen, &QTimer::timeout, &reopen, [&] {
        if (!port.isOpen()) {
            port.open(device, nullptr);
        }
    });
    reopen.start();

    ProgressLine progress;
    int done = 0;
    int status = kSuccess;
    bool ended = false;
    QObject::connect(&session, &RadioSession::channelProgress, &session, [&](int channel) {
        if (channel > 0) {
            progress.show(QStringLiteral("radio %1: channel %2/16").arg(done + 1).arg(channel));
        }
    });
    QObject::connect(
        &continuous, &ContinuousWrite::statusChanged, &continuous, [&](const QString& text) {
            progress.show(text.isEmpty()
                              ? QStringLiteral("waiting for radio %1").arg(done + 1)
                              : QStringLiteral("radio %1 done: switch it off").arg(done));
        });
    QObject::connect(&continuous, &ContinuousWrite::radioDone, &continuous,
                     [&](const ContinuousWrite::Radio& radio) {
                         const auto [result, radioStatus] = described(radio);
                         progress.clear();
                         printOut(QStringLiteral("radio %1: %2\n").arg(radio.number).arg(result));
                         status = std::max(status, radioStatus);
                         done = radio.number;
                         if (count && done >= *count) {
                             continuous.stop();
                         }
                     });
    QObject::connect(&continuous, &ContinuousWrite::ended, &continuous,
                     [&](const std::optional<UserMessage>&) { ended = true; });
    const EndRequest endRequest([&] { continuous.stop(); });

    if (const auto refused = continuous.start()) {
        return fail(kRefused, QStringLiteral("write %1 radios").arg(device), reasonOf(refused));
    }
    progress.show(QStringLiteral("waiting for radio 1"));
    QEventLoop loop;
    while (!ended) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    progress.clear();
    session.shutDown();
    return status;
}

}  // namespace qm3270::cli

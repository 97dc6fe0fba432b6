#include "cli/radio_line.h"

#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "link/frame_codec.h"
#include "link/link_timing.h"
#include "link/read_transfer.h"
#include "link/write_transfer.h"

#include <QEventLoop>

namespace qm3270::cli {

namespace {

// Both transfers report progress as the window's bar shows it: 0, 6, ... 90,
// one step of 6 per channel.
constexpr int kProgressStep = 6;

QString channelText(const char* verb, int channel) {
    return QStringLiteral("%1 channel %2/%3")
        .arg(QLatin1String(verb))
        .arg(channel)
        .arg(frame::kFramesPerTransfer);
}

// What the person at the terminal can do about a port that would not open.
QString explain(const PortOpenFailure& failure) {
    switch (failure.kind) {
        case PortOpenFailure::Kind::Missing:
            return QStringLiteral("no such device");
        case PortOpenFailure::Kind::Busy:
            return QStringLiteral("busy — another program is using it");
        case PortOpenFailure::Kind::Permission:
            return QStringLiteral(
                       "permission denied — add yourself to the group that owns it "
                       "(sudo usermod -aG %1 $USER) and log in again")
                .arg(failure.group);
        case PortOpenFailure::Kind::Other:
            break;
    }
    return failure.reason;
}

}  // namespace

bool RadioLine::traceTo(const QString& path) {
    traced_ = std::make_unique<TracedPort>(serial_);
    QString reason;
    if (!traced_->openTrace(path, &reason)) {
        traced_.reset();
        fail(kBadInput, QStringLiteral("open trace %1").arg(path), reason);
        return false;
    }
    QObject::connect(
        traced_.get(), &TracedPort::traceFailed, traced_.get(), [path](const QString& why) {
            printError(QStringLiteral("qm3270-cli: trace %1 ended: %2\n").arg(path, why));
        });
    port_ = traced_.get();
    return true;
}

bool RadioLine::open(const QString& device) {
    PortOpenFailure failure;
    if (!port_->open(device, &failure)) {
        fail(kRadioFailure, QStringLiteral("open %1").arg(device), explain(failure));
        return false;
    }
    QObject::connect(port_, &Port::failed, port_, [this](const QString& why) { lineLost_ = why; });
    return true;
}

std::optional<QString> RadioLine::write(const QStringList& frames) {
    WriteTransfer transfer(*port_, LinkTiming{});
    bool finished = false;
    std::optional<QString> failure;
    QObject::connect(&transfer, &WriteTransfer::progress, &transfer, [this](int value) {
        progress_.show(channelText("writing", value / kProgressStep + 1));
    });
    QObject::connect(&transfer, &WriteTransfer::finished, &transfer,
                     [&finished] { finished = true; });
    QObject::connect(&transfer, &WriteTransfer::failed, &transfer, [&](const UserMessage& message) {
        failure = message.text + lineLostHint();
        finished = true;
    });
    transfer.start(frames);
    waitFor(finished);
    progress_.clear();
    return failure;
}

std::variant<QStringList, QString> RadioLine::read() {
    ReadTransfer transfer(*port_, LinkTiming{});
    bool finished = false;
    std::variant<QStringList, QString> outcome;
    QObject::connect(&transfer, &ReadTransfer::begun, &transfer,
                     [this] { progress_.show(channelText("reading", 1)); });
    QObject::connect(&transfer, &ReadTransfer::progress, &transfer, [this](int value) {
        const int done = value / kProgressStep + 1;
        if (done < frame::kFramesPerTransfer) {
            progress_.show(channelText("reading", done + 1));
        }
    });
    QObject::connect(&transfer, &ReadTransfer::succeeded, &transfer,
                     [&](const QStringList& frames) {
                         outcome = frames;
                         finished = true;
                     });
    QObject::connect(&transfer, &ReadTransfer::failed, &transfer, [&](const UserMessage& message) {
        QString hint = lineLostHint();
        if (hint.isEmpty()) {
            hint = QStringLiteral(
                " (no complete answer of 16 channel frames: is the radio "
                "switched on, connected and idle?)");
        }
        outcome = message.text + hint;
        finished = true;
    });
    transfer.start();
    waitFor(finished);
    progress_.clear();
    return outcome;
}

void RadioLine::waitFor(const bool& finished) {
    QEventLoop loop;
    while (!finished) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
}

QString RadioLine::lineLostHint() const {
    if (lineLost_.isEmpty()) {
        return {};
    }
    return QStringLiteral(" (the line to the radio was lost: %1)").arg(lineLost_);
}

}  // namespace qm3270::cli

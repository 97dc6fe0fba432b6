#include "cli/radio_line.h"

#include "cli/cli_command.h"
#include "cli/cli_support.h"
#include "link/frame_codec.h"
#include "link/link_timing.h"

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
    QString reason;
    if (!line_.traceTo(path, &reason)) {
        fail(kBadInput, QStringLiteral("open trace %1").arg(path), reason);
        return false;
    }
    QObject::connect(
        line_.trace(), &TracedPort::traceFailed, line_.trace(), [path](const QString& why) {
            printError(QStringLiteral("qm3270-cli: trace %1 ended: %2\n").arg(path, why));
        });
    return true;
}

bool RadioLine::open(const QString& device) {
    if (const auto reason = openPort(device)) {
        fail(kRadioFailure, QStringLiteral("open %1").arg(device), *reason);
        return false;
    }
    return true;
}

std::optional<int> RadioLine::openTraced(const QString& device, const QString& trace) {
    if (!trace.isEmpty() && !traceTo(trace)) {
        return kBadInput;
    }
    if (!open(device)) {
        return kRadioFailure;
    }
    return std::nullopt;
}

std::optional<QString> RadioLine::openPort(const QString& device) {
    PortOpenFailure failure;
    if (!line_.port().open(device, &failure)) {
        return explain(failure);
    }
    QObject::connect(&line_.port(), &Port::failed, &line_.port(),
                     [this](const QString& why) { lineLost_ = why; });
    return std::nullopt;
}

std::optional<QString> RadioLine::write(const QStringList& frames) {
    bool finished = false;
    std::optional<QString> failure;
    startWrite(frames, [&](const std::optional<QString>& outcome) {
        failure = outcome;
        finished = true;
    });
    waitFor(finished);
    return failure;
}

void RadioLine::startWrite(const QStringList& frames, WriteDone done) {
    writeDone_ = std::move(done);
    if (!writer_) {
        writer_ = std::make_unique<WriteTransfer>(line_.port(), LinkTiming{});
        QObject::connect(writer_.get(), &WriteTransfer::progress, writer_.get(),
                         [this](int value) { showProgress("writing", value / kProgressStep + 1); });
        QObject::connect(writer_.get(), &WriteTransfer::finished, writer_.get(), [this] {
            clearProgress();
            writeDone_(std::nullopt);
        });
        QObject::connect(writer_.get(), &WriteTransfer::failed, writer_.get(),
                         [this](const UserMessage& message) {
                             clearProgress();
                             writeDone_(message.text + lineLostHint());
                         });
    }
    writer_->start(frames);
}

std::variant<QStringList, QString> RadioLine::read() {
    bool finished = false;
    std::variant<QStringList, QString> answer;
    startRead([&](const std::variant<QStringList, QString>& outcome) {
        answer = outcome;
        finished = true;
    });
    waitFor(finished);
    return answer;
}

void RadioLine::startRead(ReadDone done) {
    readDone_ = std::move(done);
    if (!reader_) {
        reader_ = std::make_unique<ReadTransfer>(line_.port(), LinkTiming{});
        QObject::connect(reader_.get(), &ReadTransfer::begun, reader_.get(),
                         [this] { showProgress("reading", 1); });
        QObject::connect(reader_.get(), &ReadTransfer::progress, reader_.get(), [this](int value) {
            const int channel = value / kProgressStep + 1;
            if (channel < frame::kFramesPerTransfer) {
                showProgress("reading", channel + 1);
            }
        });
        QObject::connect(reader_.get(), &ReadTransfer::succeeded, reader_.get(),
                         [this](const QStringList& frames) {
                             clearProgress();
                             readDone_(frames);
                         });
        QObject::connect(reader_.get(), &ReadTransfer::failed, reader_.get(),
                         [this](const UserMessage& message) {
                             QString hint = lineLostHint();
                             if (hint.isEmpty()) {
                                 hint = QStringLiteral(
                                     " (no complete answer of 16 channel frames: is the radio "
                                     "switched on, connected and idle?)");
                             }
                             clearProgress();
                             readDone_(message.text + hint);
                         });
    }
    reader_->start();
}

void RadioLine::waitFor(const bool& finished) {
    QEventLoop loop;
    while (!finished) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void RadioLine::showProgress(const char* verb, int channel) {
    if (progressShown_) {
        progress_.show(channelText(verb, channel));
    }
}

void RadioLine::clearProgress() {
    progress_.clear();
}

QString RadioLine::lineLostHint() const {
    if (lineLost_.isEmpty()) {
        return {};
    }
    return QStringLiteral(" (the line to the radio was lost: %1)").arg(lineLost_);
}

}  // namespace qm3270::cli

#include "cli/radio_fleet.h"

#include "cli/channel_compare.h"
#include "cli/cli_command.h"
#include "cli/cli_support.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>

namespace qm3270::cli {

std::variant<QStringList, int> parsePorts(QCommandLineParser& parser,
                                          const QCommandLineOption& port,
                                          const QCommandLineOption& trace,
                                          const QStringList& arguments, qsizetype positionals) {
    if (const auto status = parseRadioCommandLine(parser, port, arguments, positionals)) {
        return *status;
    }
    const QStringList devices = parser.values(port);
    if (devices.size() > 1 && parser.isSet(trace)) {
        return usageError(arguments, QStringLiteral("--trace takes one --port"));
    }
    for (qsizetype k = 1; k < devices.size(); ++k) {
        if (devices.indexOf(devices.at(k)) < k) {
            return usageError(arguments,
                              QStringLiteral("port '%1' given twice").arg(devices.at(k)));
        }
    }
    return devices;
}

QString portFileName(const QString& device) {
    const QString clean = QDir::cleanPath(device);
    const QString devices = QStringLiteral("/dev/");
    if (clean.startsWith(devices)) {
        // Below /dev the path itself is unique, and '-' keeps it one file name.
        return clean.mid(devices.size()).replace(u'/', u'-') + QStringLiteral(".doc");
    }
    return QFileInfo(clean).fileName() + QStringLiteral(".doc");
}

RadioFleet::RadioFleet(const QStringList& devices, QString doing) : doing_(std::move(doing)) {
    for (const QString& device : devices) {
        auto radio = std::make_unique<Radio>();
        radio->device = device;
        // One line on the terminal for all of them: the summary.
        radio->line.setProgressShown(false);
        radios_.push_back(std::move(radio));
    }
}

void RadioFleet::openAll() {
    for (const auto& radio : radios_) {
        if (const auto reason = radio->line.openPort(radio->device)) {
            finish(*radio, kRadioFailure, QStringLiteral("cannot open: ") + *reason);
        }
    }
}

std::vector<RadioFleet::Radio*> RadioFleet::running() const {
    std::vector<Radio*> open;
    for (const auto& radio : radios_) {
        if (!radio->done) {
            open.push_back(radio.get());
        }
    }
    return open;
}

void RadioFleet::finish(Radio& radio, int status, const QString& result) {
    radio.status = status;
    radio.result = result;
    radio.done = true;
    showSummary();
}

void RadioFleet::waitForAll() {
    showSummary();
    QEventLoop loop;
    while (!running().empty()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    progress_.clear();
}

void RadioFleet::printResults() const {
    for (const auto& radio : radios_) {
        printResult(radio->device, radio->status, radio->result);
    }
}

int RadioFleet::worstStatus() const {
    int worst = kSuccess;
    for (const auto& radio : radios_) {
        worst = std::max(worst, radio->status);
    }
    return worst;
}

void RadioFleet::showSummary() {
    const auto total = static_cast<qsizetype>(radios_.size());
    const qsizetype done = total - static_cast<qsizetype>(running().size());
    progress_.show(QStringLiteral("%1 %2 radios: %3 done").arg(doing_).arg(total).arg(done));
}

}  // namespace qm3270::cli

#include "sim/radio_series.h"

#include "sim/pty_radio.h"

#include <utility>

namespace qm3270 {

RadioSeries::RadioSeries(PtyRadio& pty, std::vector<Radio> radios,
                         std::chrono::milliseconds swapTime, QObject* parent)
    : QObject(parent), pty_(pty), radios_(std::move(radios)) {
    swapTimer_.setSingleShot(true);
    swapTimer_.setInterval(swapTime);
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(kIdleDone);
    connect(&swapTimer_, &QTimer::timeout, this, &RadioSeries::switchOn);
    connect(&idleTimer_, &QTimer::timeout, this, &RadioSeries::switchOff);
    connect(&pty_, &PtyRadio::heard, this, &RadioSeries::heard);
    connect(&pty_, &PtyRadio::answerSent, this, &RadioSeries::answerSent);
    connect(&pty_, &PtyRadio::memoryWritten, this, [this] {
        written_ = true;
        justWritten_ = true;
    });
}

void RadioSeries::start() {
    RadioEngine::Faults off;
    off.off = true;
    pty_.engine() = RadioEngine();
    pty_.engine().setFaults(off);
    switchOn();
}

void RadioSeries::switchOn() {
    if (next_ > static_cast<int>(radios_.size())) {
        return;
    }
    const Radio& radio = radios_.at(static_cast<std::size_t>(next_ - 1));
    current_ = next_++;
    written_ = justWritten_ = verifyAsked_ = false;
    pty_.engine() = RadioEngine(radio.memory);
    pty_.engine().setFaults(radio.faults);
    pty_.setMemoryFile(radio.memoryFile);
    pty_.note(QStringLiteral("radio %1 switched on").arg(current_));
    Q_EMIT switchedOn(current_);
    if (radio.faults.off) {
        idleTimer_.start();
    }
}

void RadioSeries::switchOff() {
    if (current_ == 0) {
        return;
    }
    idleTimer_.stop();
    RadioEngine::Faults off;
    off.off = true;
    pty_.engine() = RadioEngine();
    pty_.engine().setFaults(off);
    pty_.setMemoryFile(QString());
    pty_.note(QStringLiteral("radio %1 switched off").arg(current_));
    const int number = current_;
    current_ = 0;
    Q_EMIT switchedOff(number);
    swapTimer_.start();
}

void RadioSeries::heard(const QByteArray& characters) {
    if (current_ == 0) {
        return;
    }
    if (characters.count('C') != characters.size()) {
        idleTimer_.start();  // more than polls: the program is at work with this radio
    }
    // The characters that completed a write are frame digits, not a read.
    if (justWritten_) {
        justWritten_ = false;
        return;
    }
    if (written_ && !pty_.engine().writeInProgress() && characters.contains('5')) {
        verifyAsked_ = true;
    }
}

void RadioSeries::answerSent() {
    if (current_ != 0 && verifyAsked_) {
        switchOff();
    }
}

}  // namespace qm3270

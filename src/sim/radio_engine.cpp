#include "sim/radio_engine.h"

#include <algorithm>
#include <utility>

namespace qm3270 {

namespace {

constexpr char kReadyPoll = 'C';
constexpr char kWriteCommand = 'A';
constexpr char kReadCommand = '5';

// An unprogrammed channel: header, the fixed "0", beat off, both frequency
// fields zero. Frame 1's header carries the squelch level instead of a channel.
QByteArray unprogrammedFrame(int position) {
    const int header = position == 1 ? 3 : position - 1;
    return QByteArray::number(header).rightJustified(2, '0') + QByteArray(18, '0');
}

// The last digit of the transmit field: whatever it held, the channel then
// reads back with another transmit frequency (an unprogrammed one gains one).
void alterOneDigit(QByteArray* frame) {
    char& digit = (*frame)[frame->size() - 1];
    if (digit >= '0' && digit <= '9') {
        digit = static_cast<char>('0' + (digit - '0' + 1) % 10);
    } else {
        digit = '0';
    }
}

}  // namespace

RadioEngine::RadioEngine() : RadioEngine(unprogrammedMemory()) {}

RadioEngine::RadioEngine(Frames memory) : memory_(std::move(memory)) {}

RadioEngine::Frames RadioEngine::unprogrammedMemory() {
    Frames frames;
    for (int position = 1; position <= kFrameCount; ++position) {
        frames.at(static_cast<std::size_t>(position - 1)) = unprogrammedFrame(position);
    }
    return frames;
}

void RadioEngine::setFaults(const Faults& faults) {
    faults_ = faults;
    if (faults_.hangUpAfter && lineCount_ >= *faults_.hangUpAfter) {
        hungUp_ = true;
    }
}

void RadioEngine::setMemory(const Frames& memory) {
    memory_ = memory;
}

QByteArray RadioEngine::readAnswer() const {
    QByteArray text;
    text.reserve(kMemoryLength);
    for (const QByteArray& frame : memory_) {
        text += frame;
    }
    return text;
}

bool RadioEngine::takeMemoryChanged() {
    return std::exchange(memoryChanged_, false);
}

std::optional<RadioEngine::BrokenWrite> RadioEngine::breakOffWrite() {
    if (!writeInProgress_) {
        return std::nullopt;
    }
    BrokenWrite broken{static_cast<int>(incoming_.size())};
    incoming_.clear();
    writeInProgress_ = false;
    return broken;
}

qsizetype RadioEngine::passHangUpCount(qsizetype count) {
    if (!faults_.hangUpAfter) {
        return count;
    }
    const qint64 room = std::max<qint64>(0, *faults_.hangUpAfter - lineCount_);
    const auto passed = static_cast<qsizetype>(std::min<qint64>(count, room));
    lineCount_ += passed;
    if (lineCount_ >= *faults_.hangUpAfter) {
        hungUp_ = true;
    }
    return passed;
}

void RadioEngine::answer(QByteArray* out, QByteArrayView answerText, bool isReadAnswer) {
    QByteArray text = faults_.noise;
    if (isReadAnswer && faults_.stopAfter) {
        const qsizetype kept = std::clamp<qsizetype>(*faults_.stopAfter, 0, answerText.size());
        text += answerText.first(kept);
        silenced_ = kept < answerText.size();
    } else {
        text += answerText;
    }
    out->append(text.first(passHangUpCount(text.size())));
}

QByteArray RadioEngine::receive(QByteArrayView data) {
    QByteArray out;
    for (const char c : data) {
        if (hungUp_) {
            break;
        }
        // The character that reaches the hang-up count still arrives and is
        // acted on; only an answer to it can no longer go out.
        passHangUpCount(1);
        if (faults_.off || silenced_) {
            continue;
        }
        if (writeInProgress_) {
            incoming_.append(c);
            if (incoming_.size() == kMemoryLength) {
                for (int k = 0; k < kFrameCount; ++k) {
                    memory_.at(static_cast<std::size_t>(k)) =
                        incoming_.mid(qsizetype{k} * kFrameLength, kFrameLength);
                }
                if (faults_.corruptChannel && *faults_.corruptChannel >= 1 &&
                    *faults_.corruptChannel <= kFrameCount) {
                    alterOneDigit(
                        &memory_.at(static_cast<std::size_t>(*faults_.corruptChannel - 1)));
                }
                incoming_.clear();
                writeInProgress_ = false;
                memoryChanged_ = true;
            }
            continue;
        }
        switch (c) {
            case kReadyPoll:
                answer(&out, QByteArrayView(&kReadyPoll, 1), false);
                break;
            case kWriteCommand:
                writeInProgress_ = true;
                break;
            case kReadCommand:
                answer(&out, readAnswer(), true);
                break;
            default:
                break;
        }
    }
    return out;
}

}  // namespace qm3270

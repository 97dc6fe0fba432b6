#include "link/frame_collector.h"

#include "link/frame_codec.h"

namespace qm3270 {

namespace {
constexpr qsizetype kAnswerLength = qsizetype{frame::kFrameLength} * frame::kFramesPerTransfer;
}

FrameCollector::State FrameCollector::feed(QChar c) {
    if (state_ == State::Bad) {
        return state_;
    }
    ++received_;
    if (state_ == State::Complete) {
        return spoil(c);  // a 321st character: the answer was not what it seemed
    }
    if (digits_.isEmpty()) {
        if (c == QLatin1Char(frame::kReadyPoll)) {
            return state_;  // the radio's late answer to a ready poll
        }
        if (c == QLatin1Char(frame::kReadCommand) && !echoDropped_) {
            echoDropped_ = true;  // our own read command, heard back
            return state_;
        }
    }
    if (c < u'0' || c > u'9') {
        return spoil(c);
    }
    digits_ += c;
    if (digits_.size() == kAnswerLength) {
        state_ = State::Complete;
    }
    return state_;
}

FrameCollector::State FrameCollector::feed(QStringView text) {
    for (QChar c : text) {
        if (feed(c) == State::Bad) {
            break;
        }
    }
    return state_;
}

int FrameCollector::framesComplete() const {
    return static_cast<int>(digits_.size() / frame::kFrameLength);
}

QStringList FrameCollector::frames() const {
    QStringList out;
    for (qsizetype start = 0; start + frame::kFrameLength <= digits_.size();
         start += frame::kFrameLength) {
        out << digits_.mid(start, frame::kFrameLength);
    }
    return out;
}

FrameCollector::State FrameCollector::spoil(QChar c) {
    badPosition_ = received_;
    badCharacter_ = c;
    state_ = State::Bad;
    return state_;
}

void FrameCollector::reset() {
    digits_.clear();
    echoDropped_ = false;
    received_ = 0;
    badPosition_ = 0;
    badCharacter_ = QChar();
    state_ = State::Collecting;
}

}  // namespace qm3270

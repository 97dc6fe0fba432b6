#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace qm3270 {

// Collects the radio's answer to a read: "C"s before the first digit are late
// answers to a ready poll and are dropped; after that every one of the 320
// characters must be a digit, anything else is a transmission error.
class FrameCollector {
public:
    enum class State { Collecting, Complete, Bad };

    State feed(QChar c);
    State feed(QStringView text);  // stops at the first character that ends collecting
    State state() const { return state_; }
    int framesComplete() const;  // whole frames received so far
    QStringList frames() const;  // the 16 frames once Complete
    void reset();

private:
    QString digits_;
    State state_ = State::Collecting;
};

}  // namespace qm3270

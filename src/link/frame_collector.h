#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace qm3270 {

// Collects the radio's answer to a read: exactly 320 digits. Ahead of the first
// digit, "C"s are late answers to a ready poll and one "5" is the read command
// itself, given back by a cable that hears its own transmissions; both are
// dropped (the answer begins with frame 1's header "0", never with a "5").
// Anything else that is not a digit, or any character after the 320th, is a
// transmission error.
class FrameCollector {
public:
    // Complete: 320 digits and nothing after them so far. Whether the line then
    // stays quiet is for the caller to see; one more character makes it Bad.
    enum class State { Collecting, Complete, Bad };

    State feed(QChar c);
    State feed(QStringView text);  // stops at the first character that makes it Bad
    State state() const { return state_; }
    int framesComplete() const;  // whole frames received so far
    int digitCount() const { return static_cast<int>(digits_.size()); }
    // Every character fed since the reset, the dropped ones and the one that
    // made it Bad included.
    int receivedCount() const { return received_; }
    // Bad: the character that made it so and where it stood (1-based among
    // receivedCount()); 0 before that.
    int badPosition() const { return badPosition_; }
    QChar badCharacter() const { return badCharacter_; }
    QStringList frames() const;  // the 16 frames once Complete
    void reset();                // for the answer to a read command sent now

private:
    State spoil(QChar c);

    QString digits_;
    bool echoDropped_ = false;
    int received_ = 0;
    int badPosition_ = 0;
    QChar badCharacter_;
    State state_ = State::Collecting;
};

}  // namespace qm3270

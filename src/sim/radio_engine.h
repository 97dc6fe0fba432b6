#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>

namespace qm3270 {

// The radio's side of the protocol, without a line: fed with what the program
// sends, it returns what the radio answers. Pacing, the reply delay and the
// line itself belong to the shell around it (qm3270-radio, qm3270 --simulate,
// the tests).
//
// The radio's memory is its 16 frames of 20 characters, kept exactly as a
// write delivered them and answered to a read in the same order, channel 1
// first. A fresh radio holds 16 unprogrammed channels at squelch level 3.
//
// What the radio understands when it is not in the middle of a write:
//   "C"  answered with "C" (the ready poll);
//   "A"  the next 320 characters, whatever they are, are 16 frames for memory;
//   "5"  answered with the 16 frames of memory.
// Any other character is dropped without an answer and changes nothing: the
// radio has no error reply, and a stray character must not start anything.
class RadioEngine {
public:
    static constexpr int kFrameLength = 20;
    static constexpr int kFrameCount = 16;
    static constexpr int kMemoryLength = kFrameLength * kFrameCount;

    using Frames = std::array<QByteArray, kFrameCount>;

    struct Faults {
        bool off = false;                // never answers and takes no write: a radio switched off
        std::optional<int> stopAfter;    // a read answer breaks off after N characters, and
                                         // from then on the radio is silent as if off
        QByteArray noise;                // sent in front of every answer
        std::optional<int> hangUpAfter;  // the line closes after N characters, in and out
                                         // counted together
        std::optional<int> corruptChannel;  // channel N (1..16) of every write is stored
                                            // with one digit altered, as a radio with a
                                            // failing memory cell would
    };

    // What a write that did not complete left behind.
    struct BrokenWrite {
        int charactersReceived = 0;  // of the 320 the write announced
    };

    RadioEngine();
    explicit RadioEngine(Frames memory);

    static Frames unprogrammedMemory();

    void setFaults(const Faults& faults);
    const Faults& faults() const { return faults_; }

    // Feeds received characters; returns what the radio answers to them, in the
    // order it would send it. Once the line is hung up nothing more is taken or
    // answered.
    QByteArray receive(QByteArrayView data);

    // A write is collecting frames. The shell decides when the line has been
    // quiet too long and calls breakOffWrite(): the characters collected so far
    // are dropped and memory stays as it was.
    bool writeInProgress() const { return writeInProgress_; }
    std::optional<BrokenWrite> breakOffWrite();

    // True once the hang-up count has been reached: the shell sends what the
    // last receive() returned and then closes the line.
    bool hungUp() const { return hungUp_; }
    // True once a read answer was cut by stopAfter.
    bool silenced() const { return silenced_; }

    const Frames& memory() const { return memory_; }
    void setMemory(const Frames& memory);
    // The 320 characters a read is answered with (before any fault).
    QByteArray readAnswer() const;

    // Raised after a complete write of 16 frames; taking it clears it.
    bool takeMemoryChanged();

private:
    // Appends `answer` (with the noise in front) to `out`, as far as the faults let it out.
    void answer(QByteArray* out, QByteArrayView answerText, bool isReadAnswer);
    // Counts characters against the hang-up limit; returns how many of `count` still pass.
    qsizetype passHangUpCount(qsizetype count);

    Frames memory_;
    Faults faults_;
    QByteArray incoming_;  // the frames of a write in progress
    bool writeInProgress_ = false;
    bool memoryChanged_ = false;
    bool hungUp_ = false;
    bool silenced_ = false;
    qint64 lineCount_ = 0;  // characters in and out, for hangUpAfter
};

}  // namespace qm3270

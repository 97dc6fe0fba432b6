#pragma once

#include <QString>

// A continuous write timed in the bench's own process: the session's
// ContinuousWrite on the real serial port against qm3270-radio playing a line
// of radios, each swapped for the next after `swapMs`.
struct ContinuousFigures {
    // First answer to verified result ÷ the line time of its read, write and
    // verify, the write counted as long as on a cable.
    double worstRatio = 0;
    double ptyRatio = 0;      // the same as the pseudo-terminal carried it
    double worstRadioMs = 0;  // on the pseudo-terminal
    double writeMs = 0;       // the longest write on the pseudo-terminal
    double cycleMs = 0;       // mean time from one radio's verified result to the next one's
    double radiosPerHour = 0;
};

// Stops the bench (exit 1) when a radio is not verified or the line stalls.
ContinuousFigures measureContinuousWrite(const QString& radioProgram, const QString& folder,
                                         int radios, int swapMs);

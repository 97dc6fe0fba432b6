#pragma once

#include <QString>

// A continuous write timed in the bench's own process: the session's
// ContinuousWrite on the real serial port against qm3270-radio playing a line
// of radios, each swapped for the next after `swapMs`.
struct ContinuousFigures {
    double worstRatio =
        0;  // first answer to verified result ÷ the line time of read, write, verify
    double worstRadioMs = 0;
    double cycleMs = 0;  // mean time from one radio's verified result to the next one's
    double radiosPerHour = 0;
};

// Stops the bench (exit 1) when a radio is not verified or the line stalls.
ContinuousFigures measureContinuousWrite(const QString& radioProgram, const QString& folder,
                                         int radios, int swapMs);

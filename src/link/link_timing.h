#pragma once

#include <chrono>

namespace qm3270 {

using std::chrono::milliseconds;

// How long the line must stay quiet after a read's 320th digit before the answer
// counts as whole: three character times at 1200 baud (8.33 ms each). A 321st
// digit already on its way arrives within one, and the read still ends within
// 1.05 times its own line time.
inline constexpr milliseconds kAnswerQuietTime{25};

// The periods of the window's timers; tests pass shorter ones.
struct LinkTiming {
    milliseconds writeTick{100};            // Timer1: one frame a tick
    milliseconds eraserTick{60};            // Timer2: empties the status line on its 11th tick
    milliseconds readyTick{100};            // Timer3: one ready poll a tick
    milliseconds readArm{100};              // Timer4: from the menu click to the read command
    milliseconds readChannelTimeout{2000};  // each channel's 20 characters must arrive within this
    milliseconds readQuiet{kAnswerQuietTime};
    milliseconds drainPoll{20};      // how often a finished write checks the driver's queue
    milliseconds drainLimit{10000};  // 321 characters need 2.7 s; far longer means a stuck line
};

}  // namespace qm3270

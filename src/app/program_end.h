#pragma once

namespace qm3270 {

class ChannelStore;
class MainWindow;

// Runs the window program's event loop until the program ends, and has every
// way of ending it keep what the user typed, as 退出 does:
// - the last window closed (the port dialog and the help windows outlive the
//   main window, so the program ends with the last of them);
// - SIGTERM, SIGHUP and SIGINT: handled on the event loop like a close of every
//   window, so a write under way is finished first;
// - the display going away: the platform then ends the process with exit(),
//   and the row's pending edit is written on the way out.
// Returns the event loop's exit code.
int runUntilEnd(MainWindow& window, ChannelStore& store);

}  // namespace qm3270

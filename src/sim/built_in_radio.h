#pragma once

#include <QString>

namespace qm3270 {

class PtyRadio;

// The radio that `qm3270 --simulate` serves inside the program. Its memory is a
// channel file in the per-user data folder, beside the default channel
// database, so that what a write put into the radio is still there for a read
// after the program has been restarted.
QString builtInRadioMemoryPath();

// Loads the radio's memory from `memoryFile` (creating the file, and its
// folder, with an unprogrammed radio when it is missing), saves every complete
// write back to it and opens the radio's pseudo-terminal. false: `error` says
// why, as "cannot ...: reason".
bool startRadioWithMemory(PtyRadio& radio, const QString& memoryFile, QString* error);

}  // namespace qm3270

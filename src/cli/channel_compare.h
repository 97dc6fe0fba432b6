#pragma once

#include <QString>
#include <QStringList>

namespace qm3270::cli {

class RadioLine;

// Compares the frames a write sends with the frames a read brought back,
// channel by channel as a read decodes them: a row that reads back differently
// by design (beat "off" without frequencies comes back "") is no difference.
// Reports each channel that differs on standard error ("qm3270-cli: PREFIX
// channel N differs: wrote "...", read back "..."") and returns how many did.
// `prefix` tells apart the radios of one run ("DEV: "); empty for one radio.
int reportDifferences(const QStringList& sent, const QStringList& received,
                      const QString& prefix = {});

// How a comparison with a radio ended: the exit status and the result line a
// run over several radios prints for it ("verified", "cannot verify: ...").
struct Comparison {
    int status;
    QString result;
};

// Reads the radio on `line` and compares it with the frames of the channel
// file `path`: a failed read is reported as "cannot `what`: ..." (radio
// failure), differences channel by channel and in a closing line (status 5).
Comparison compareWithRadio(RadioLine& line, const QStringList& sent, const QString& path,
                            const QString& what);

// The one line on standard output that tells how `device` ended ("DEV: written"),
// as every radio of a run over several gets; returns `status`.
int printResult(const QString& device, int status, const QString& result);

}  // namespace qm3270::cli

#pragma once

#include "channels/channel_record.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace qm3270 {

// The radio's side of the protocol, without a line: fed with what the program
// sends, it returns what the radio answers. Pacing, delays and the line itself
// belong to the shell around it (qm3270-radio, qm3270 --simulate, tests).
class RadioEngine {
public:
    struct Faults {
        bool off = false;                   // never answers
        std::optional<int> stopAfter;       // goes silent after N characters of a read answer
        QByteArray noise;                   // sent before each answer
        std::optional<int> hangUpAfter;     // closes the line after N characters (in and out)
    };

    explicit RadioEngine(const QString& squelch = QStringLiteral("3"), const ChannelTable& memory = {});

    void setFaults(const Faults& faults);

    // Feeds received characters; returns what the radio answers to them.
    QByteArray receive(const QByteArray& data);

    // True once a --hang-up-after count has been reached.
    bool hungUp() const;

    // The radio's memory as a read would return it: squelch digit and 16 rows.
    QString squelch() const;
    ChannelTable memory() const;
    // Raised after a complete write of 16 frames.
    bool takeMemoryChanged();

private:
    // implementation's own
};

}  // namespace qm3270

#pragma once

#include "channels/channel_record.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace qm3270::frame {

// The whole vocabulary of the link: three one-character commands and the
// 20-character channel frame, sixteen in a row, channel 1 first.
inline constexpr char kReadyPoll = 'C';     // our poll, and the radio's answer
inline constexpr char kWriteCommand = 'A';  // sixteen frames follow
inline constexpr char kReadCommand = '5';   // the radio answers with sixteen frames
inline constexpr int kFrameLength = 20;
inline constexpr int kFramesPerTransfer = 16;

// Encoder pieces, pure functions of their inputs. For values in the admitted
// ranges they give 2, 1, 8 and 8 digits; outside them they give whatever the
// radio's rules produce (a short field, a "-" inside it).
QString squelchHeader(const QString& squelchText);
QString channelHeader(const Field& channelNumber);
QString beatFlag(const Field& beat);
QString receiveField(const Field& receiveMHz);
QString transmitField(const Field& transmitMHz);
QString assembleFrame(const QString& header, const QString& beat, const QString& receive,
                      const QString& transmit);

// Frame `position` (1..16) of a write: frame 1 carries the squelch level in its
// header, frames 2..16 the row's channel number minus one.
QString encodeFrame(int position, const ChannelRecord& row, const QString& squelchText);

// One frame as the radio sent it, decoded the way a read stores it: fields 1..3
// set ("" for an unprogrammed frequency; beat "on", "off" or ""), field 0 left
// Null. `squelch` is the character at position 2 (meaningful in frame 1 only).
struct DecodedFrame {
    ChannelRecord record;
    QString squelch;
};
DecodedFrame decodeFrame(QStringView frame);

// A read's 16 frames, channel 1 first, as the read stores them: the rows
// (fields 1..3) and the squelch character of frame 1.
struct DecodedTable {
    QString squelch;
    ChannelTable rows;
};
DecodedTable decodeFrames(const QStringList& frames);

// The channels (1..16) whose frame came back other than it was sent, compared
// as a read decodes them: the records, and for channel 1 the squelch level it
// carries. A row that reads back differently by design (beat "off" without
// frequencies comes back "") is no difference. A frame missing from either
// list counts as different.
QList<int> differingChannels(const QStringList& sent, const QStringList& received);

}  // namespace qm3270::frame

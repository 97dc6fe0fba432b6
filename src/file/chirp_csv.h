#pragma once

#include "channels/channel_record.h"
#include "channels/user_message.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace qm3270 {

// The channel table in CHIRP's CSV form, the list format that other radio
// programming tools read and write.
//
// Export writes one row per programmed channel (a receive frequency that reads
// as a number other than 0): Location = row 1..16, frequencies in MHz with six
// decimals counted in the radio's 10 Hz steps, Duplex/Offset for the transmit
// frequency, TStep by the receive frequency's raster, Comment "beat=on" or
// "beat=off", and the neutral tone values that leave a tone-less channel
// tone-less. The first line is "# squelch=N" with N the level a write would
// send (the leading number of the squelch text: "05" and " 5" are 5), and
// there is no such line when the text holds no level from 0 to 9, so the
// export always imports again. Lines end in CRLF; UTF-8.
//
// Import reads such a file, or one written by CHIRP or by hand: a BOM, '#'
// comment lines, quoted values, columns by name in any order, separated by
// commas or by tabs; rows whose values are all empty are skipped. Every
// frequency passes the grid's edit rule (130–500 MHz as given, then snapped),
// and a channel that the file does not name becomes unprogrammed: receive,
// transmit and beat all the empty text, as a cleared grid row holds them.
struct CsvImport {
    ChannelTable rows;               // fields 1..3; field 0 (channel number) Null
    std::optional<QString> squelch;  // from "# squelch=N"; nothing: keep the current level
};

// A list that reads well but does not fit the radio as it stands (a Location
// of 0 or above 16, more than 16 channels, rows the radio cannot hold), taken
// the one way it can be: the rows the radio can hold, in ascending Location,
// the first 16 as channels 1–16.
struct CsvFit {
    CsvImport fitted;
    QStringList leftOut;  // each row left out, with why, in file order

    // The window's question before it takes `fitted`; the rows left out are
    // its detailed text.
    UserMessage question() const;
};

// Why a file was not imported: one reason per refused line, in file order.
struct CsvRefusal {
    struct Reason {
        QString text;  // names the line, and the column where there is one
        // The file reads as CSV but holds what the radio cannot take (a location
        // outside 1–16 or given twice, a frequency outside the range, a Duplex
        // it does not know, a squelch level above 9), as opposed to a file that
        // is not a channel list at all.
        bool refusedData = false;
    };
    QList<Reason> reasons;
    // Present when every reason is one that fitting overcomes and at least
    // one row fits.
    std::optional<CsvFit> fit;

    // "CSV 文件无法导入：" + the first reason; every reason as the detail.
    UserMessage message() const;
};

// The whole file as its bytes. The text is UTF-8 (without or with a BOM); a
// file that is not valid UTF-8 is read as Windows-1252.
std::variant<CsvImport, CsvRefusal> parseChirpCsv(const QByteArray& bytes);

// The bytes parseChirpCsv() needs from the file at `path` (no more than one
// past the largest list it takes), or the system's reason it cannot be read.
std::variant<QByteArray, QString> readChirpCsvBytes(const QString& path);

// The window's import: a file that cannot be read gets "文件无法打开！" with
// the system's reason as the detail; a refused one its refusal message; one
// that can only be fitted its fit, for the user to accept or not.
std::variant<CsvImport, CsvFit, UserMessage> readChirpCsv(const QString& path);

// The text of an export: CRLF line ends, ASCII only (so UTF-8 without a BOM).
QString formatChirpCsv(const QString& squelch, const ChannelTable& rows);

// Atomic save of formatChirpCsv's text; on failure "文件保存失败！" and the
// system's reason, and any old file is left as it was.
std::optional<UserMessage> saveChirpCsv(const QString& path, const QString& squelch,
                                        const ChannelTable& rows);

}  // namespace qm3270

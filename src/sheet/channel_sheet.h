#pragma once

#include "channels/channel_record.h"

#include <QDate>
#include <QString>

#include <optional>

class QPagedPaintDevice;

namespace qm3270 {

// What a printed channel sheet shows: the sheet a technician hands over with
// the radio, saying what went into it.
struct ChannelSheet {
    QDate date;
    QString squelch;
    ChannelTable rows;  // all four columns, the channel number as the grid shows it
};

// Draws the sheet on one page of `device` (a printer, a PDF): the title
// "QM3270 信道表", the date and the squelch level, then the 16 rows in the
// grid's Kai face. false: the device could not be painted on.
bool drawChannelSheet(QPagedPaintDevice& device, const ChannelSheet& sheet);

// The sheet as an A4 PDF file, saved atomically. Nothing, or why not.
std::optional<QString> saveChannelSheetPdf(const QString& path, const ChannelSheet& sheet);

// "2026年12月7日", the date as the main window shows it.
QString sheetDateText(const QDate& date);

}  // namespace qm3270

#include "sheet/channel_sheet.h"

#include "sheet/fonts.h"
#include "sheet/messages.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <array>

namespace qm3270 {

namespace {

// The grid's column widths (in twips), so the sheet looks like the table on screen.
constexpr std::array<qreal, kColumnCount> kColumnWeights{1050, 2070, 2010, 1095};
constexpr qreal kTableShare = 0.86;  // of the page's printable width
constexpr qreal kRowSpacing = 1.9;   // row height in lines of the body face
constexpr qreal kLineWidthMm = 0.25;
constexpr qreal kCellPaddingMm = 2.0;
constexpr int kPdfResolution = 300;  // dots per inch: sharp text, a small file

QString text(const char16_t* fixed) {
    return QString::fromUtf16(fixed);
}

class SheetPainter {
public:
    SheetPainter(QPainter& painter, const QPaintDevice& device)
        : p_(painter),
          mm_(device.logicalDpiX() / 25.4),
          page_(0, 0, device.width(), device.height()) {}

    void draw(const ChannelSheet& sheet) {
        qreal y = title();
        y = header(sheet, y);
        table(sheet.rows, y);
    }

private:
    qreal title() {
        QFont font = kaiFont(20);
        font.setBold(true);
        p_.setFont(font);
        const qreal height = p_.fontMetrics().height() * 1.5;
        p_.drawText(QRectF(page_.left(), page_.top(), page_.width(), height), Qt::AlignCenter,
                    text(sheet_messages::kTitle));
        return page_.top() + height + 4 * mm_;
    }

    qreal header(const ChannelSheet& sheet, qreal y) {
        p_.setFont(kaiFont(12));
        const qreal height = p_.fontMetrics().height() * 1.4;
        const QRectF line(tableLeft(), y, tableWidth(), height);
        p_.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                    text(sheet_messages::kDate) + sheetDateText(sheet.date));
        p_.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                    text(sheet_messages::kSquelch) + sheet.squelch.trimmed());
        return y + height + 3 * mm_;
    }

    void table(const ChannelTable& rows, qreal top) {
        p_.setFont(kaiFont(12));
        const qreal rowHeight = p_.fontMetrics().height() * kRowSpacing;
        const std::array<QString, kColumnCount> captions = {
            text(sheet_messages::kChannel), text(sheet_messages::kReceive),
            text(sheet_messages::kTransmit), text(sheet_messages::kBeat)};

        p_.fillRect(QRectF(tableLeft(), top, tableWidth(), rowHeight), QColor(230, 230, 230));
        drawRow(captions, top, rowHeight);
        for (int k = 0; k < kChannelCount; ++k) {
            const ChannelRecord& row = rows.at(static_cast<std::size_t>(k));
            std::array<QString, kColumnCount> cells;
            for (int column = 0; column < kColumnCount; ++column) {
                cells.at(static_cast<std::size_t>(column)) = row[column].value_or(QString());
            }
            drawRow(cells, top + (k + 1) * rowHeight, rowHeight);
        }
        drawRules(top, rowHeight, kChannelCount + 1);
    }

    void drawRow(const std::array<QString, kColumnCount>& cells, qreal y, qreal height) {
        qreal x = tableLeft();
        for (int column = 0; column < kColumnCount; ++column) {
            const qreal width = columnWidth(column);
            const QRectF cell(x + kCellPaddingMm * mm_, y, width - 2 * kCellPaddingMm * mm_,
                              height);
            p_.drawText(cell, Qt::AlignCenter, cells.at(static_cast<std::size_t>(column)));
            x += width;
        }
    }

    void drawRules(qreal top, qreal rowHeight, int rowCount) {
        p_.setPen(QPen(Qt::black, kLineWidthMm * mm_));
        const qreal bottom = top + rowCount * rowHeight;
        for (int r = 0; r <= rowCount; ++r) {
            const qreal y = top + r * rowHeight;
            p_.drawLine(QPointF(tableLeft(), y), QPointF(tableLeft() + tableWidth(), y));
        }
        qreal x = tableLeft();
        for (int column = 0; column <= kColumnCount; ++column) {
            p_.drawLine(QPointF(x, top), QPointF(x, bottom));
            if (column < kColumnCount) {
                x += columnWidth(column);
            }
        }
    }

    qreal tableWidth() const { return page_.width() * kTableShare; }
    qreal tableLeft() const { return page_.left() + (page_.width() - tableWidth()) / 2; }
    qreal columnWidth(int column) const {
        qreal total = 0;
        for (const qreal weight : kColumnWeights) {
            total += weight;
        }
        return tableWidth() * kColumnWeights.at(static_cast<std::size_t>(column)) / total;
    }

    QPainter& p_;
    qreal mm_;  // device pixels per millimetre
    QRectF page_;
};

}  // namespace

bool drawChannelSheet(QPagedPaintDevice& device, const ChannelSheet& sheet) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    SheetPainter(painter, device).draw(sheet);
    return painter.end();
}

std::optional<QString> saveChannelSheetPdf(const QString& path, const ChannelSheet& sheet) {
    // Beside the target and renamed at the end, as every file this program
    // writes: a failed print never leaves half a PDF in place of an old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kPdfResolution);
        pdf.setTitle(text(sheet_messages::kTitle));
        pdf.setCreator(QStringLiteral("qm3270"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        if (!drawChannelSheet(pdf, sheet)) {
            file.cancelWriting();
            return file.errorString();
        }
    }
    if (!file.flush() || !file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

QString sheetDateText(const QDate& date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

}  // namespace qm3270

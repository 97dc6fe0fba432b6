#include "ui/csv_and_print_actions.h"

#include "channels/channel_store.h"
#include "file/chirp_csv.h"
#include "file/messages.h"
#include "sheet/channel_sheet.h"
#include "ui/channel_file_actions.h"
#include "ui/channel_grid.h"
#include "ui/file_chooser.h"
#include "ui/message_presenter.h"
#include "ui/printer_chooser.h"

#include <QComboBox>
#include <QPageLayout>
#include <QPrinter>

#include <variant>

namespace qm3270 {

CsvAndPrintActions::CsvAndPrintActions(const Services& services) : s_(services) {}

void CsvAndPrintActions::importCsv() {
    const QString name = s_.files.chooseCsvOpen(s_.window, lastCsvName_);
    if (name.isEmpty()) {
        return;
    }
    lastCsvName_ = name;
    const auto result = readChirpCsv(name);
    if (const auto* failure = std::get_if<UserMessage>(&result)) {
        s_.messages.show(s_.window, *failure);
        return;
    }
    // A list the radio cannot hold as it stands is taken as far as it fits,
    // when the user agrees to what is left out.
    const auto* fit = std::get_if<CsvFit>(&result);
    if (fit != nullptr && !s_.messages.ask(s_.window, fit->question())) {
        return;
    }
    const CsvImport& imported = fit != nullptr ? fit->fitted : std::get<CsvImport>(result);
    s_.tables.replaceTable(QStringLiteral("导入CSV"), BackupFolder::Event::BeforeImport,
                           imported.rows, imported.squelch);
}

void CsvAndPrintActions::exportCsv() {
    // The file holds what the user sees, the text still in a cell editor too.
    s_.grid.finishEditing();
    const QString name = s_.files.chooseCsvSave(s_.window, lastCsvName_);
    if (name.isEmpty()) {
        return;
    }
    lastCsvName_ = name;
    if (const auto failure = saveChirpCsv(name, s_.squelch.currentText(), s_.store.records())) {
        s_.messages.show(s_.window, *failure);
    }
}

std::optional<QString> CsvAndPrintActions::print() {
    s_.grid.finishEditing();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("QM3270"));
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    if (!s_.printers.choose(s_.window, printer)) {
        return std::nullopt;
    }
    const ChannelSheet sheet{QDate::currentDate(), s_.squelch.currentText(), s_.store.records()};
    const QString output =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (!drawChannelSheet(printer, sheet)) {
        // Only the start can fail here (a PDF file that cannot be written, a
        // printer gone): say which output refused.
        s_.messages.show(
            s_.window,
            {QString::fromUtf16(file_messages::kSaveFailed) + u'\n' + output,
             QString::fromUtf16(file_messages::kErrorTitle), UserMessage::Icon::Information});
        return QString::fromUtf16(file_messages::kSaveFailed);
    }
    return QStringLiteral("已打印 %1").arg(output);
}

}  // namespace qm3270

#include "ui/csv_and_print_actions.h"

#include "channels/channel_store.h"
#include "file/chirp_csv.h"
#include "ui/channel_file_actions.h"
#include "ui/channel_grid.h"
#include "ui/file_chooser.h"
#include "ui/message_presenter.h"

#include <QComboBox>

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
    const CsvImport& imported = std::get<CsvImport>(result);
    s_.tables.replaceTable(imported.rows, imported.squelch);
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

}  // namespace qm3270

#pragma once

#include <QString>

#include <optional>

class QComboBox;
class QWidget;

namespace qm3270 {

class ChannelFileActions;
class ChannelGrid;
class ChannelStore;
class FileChooser;
class MessagePresenter;
class PrinterChooser;

// The table outside the program. 导入 CSV, 导出 CSV: CHIRP's CSV form, the list
// other radio programming tools exchange; an import replaces the table as 打开
// does, all or nothing (or, for a list the radio cannot hold as it stands, the
// channels that fit, when the user agrees), and both dialogs start with the CSV name chosen last in
// either of them. 打印信道表: the sheet handed over with a programmed radio.
class CsvAndPrintActions {
public:
    struct Services {
        ChannelStore& store;
        ChannelGrid& grid;
        QComboBox& squelch;
        ChannelFileActions& tables;  // replaces the table, as 打开 does
        FileChooser& files;
        MessagePresenter& messages;
        PrinterChooser& printers;
        QWidget* window;
    };

    explicit CsvAndPrintActions(const Services& services);

    void importCsv();
    void exportCsv();
    // 打印信道表: the channel sheet of the table as the grid shows it, on the
    // printer (or PDF file) the user picks.
    // How it ended, for the operations log: nothing when the user chose no printer.
    std::optional<QString> print();

private:
    Services s_;
    QString lastCsvName_;
};

}  // namespace qm3270

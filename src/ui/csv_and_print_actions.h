#pragma once

#include <QString>

class QComboBox;
class QWidget;

namespace qm3270 {

class ChannelFileActions;
class ChannelGrid;
class ChannelStore;
class FileChooser;
class MessagePresenter;

// 导入 CSV, 导出 CSV: the table in CHIRP's CSV form, the list other radio
// programming tools exchange. An import replaces the table as 打开 does, all or
// nothing; both dialogs start with the CSV name chosen last in either of them.
class CsvAndPrintActions {
public:
    struct Services {
        ChannelStore& store;
        ChannelGrid& grid;
        QComboBox& squelch;
        ChannelFileActions& tables;  // replaces the table, as 打开 does
        FileChooser& files;
        MessagePresenter& messages;
        QWidget* window;
    };

    explicit CsvAndPrintActions(const Services& services);

    void importCsv();
    void exportCsv();

private:
    Services s_;
    QString lastCsvName_;
};

}  // namespace qm3270

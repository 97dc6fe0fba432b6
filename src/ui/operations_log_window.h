#pragma once

#include <QWidget>

class QTableView;

namespace qm3270 {

class FileChooser;
class MessagePresenter;
class OperationsLog;

// 操作记录: the operations log of this run in a table that follows it (newest
// last, scrolled to the newest), and "保存记录(&S)..." to save it as CSV.
// Modeless; one window, brought forward when asked for again.
class OperationsLogWindow : public QWidget {
    Q_OBJECT

public:
    OperationsLogWindow(OperationsLog& log, FileChooser& files, MessagePresenter& messages,
                        QWidget* parent);

    void saveLog();  // 保存记录

private:
    OperationsLog& log_;
    FileChooser& files_;
    MessagePresenter& messages_;
    QTableView* table_;
    QString lastName_;
};

}  // namespace qm3270

#pragma once

#include "file/backup_folder.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qm3270 {

// 恢复备份: the backups newest first (time, event in words, squelch level)
// and, beside them, the selected backup's 16 channels, those that differ from
// the table now marked. "恢复(&R)" chooses the selected backup; a backup that
// cannot be read is listed as such and cannot be chosen.
class BackupBrowser : public QDialog {
    Q_OBJECT

public:
    BackupBrowser(const QString& folder, ChannelFile now, QWidget* parent = nullptr);

    // The path of the backup chosen, empty when the user cancelled.
    static QString choose(QWidget* parent, const QString& folder, const ChannelFile& now);

    QString chosen() const;

private:
    void showBackup(int index);

    QList<BackupFolder::Entry> entries_;
    ChannelFile now_;
    QTableWidget* list_;
    QTableWidget* channels_;
    QLabel* note_;
    QPushButton* restore_;
};

}  // namespace qm3270

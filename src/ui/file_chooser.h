#pragma once

#include "file/channel_file.h"

#include <QString>

class QWidget;

namespace qm3270 {

// The channel-file dialogs: filter "text(*.doc)", starting with the name chosen
// last in either of them. An empty result means the user cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual QString chooseOpen(QWidget* parent, const QString& lastName) = 0;
    virtual QString chooseSave(QWidget* parent, const QString& lastName) = 0;
    // A backup from `folder`, chosen in the backup browser, which shows how
    // each differs from the table `now`.
    virtual QString chooseBackup(QWidget* parent, const QString& folder,
                                 const ChannelFile& now) = 0;
    // The same for CHIRP CSV files, filter "CSV(*.csv)"; a name saved without
    // an extension gets ".csv", and an existing file is only replaced when the
    // user confirms it.
    virtual QString chooseCsvOpen(QWidget* parent, const QString& lastName) = 0;
    virtual QString chooseCsvSave(QWidget* parent, const QString& lastName) = 0;
};

class DialogFileChooser : public FileChooser {
public:
    QString chooseOpen(QWidget* parent, const QString& lastName) override;
    QString chooseSave(QWidget* parent, const QString& lastName) override;
    QString chooseBackup(QWidget* parent, const QString& folder, const ChannelFile& now) override;
    QString chooseCsvOpen(QWidget* parent, const QString& lastName) override;
    QString chooseCsvSave(QWidget* parent, const QString& lastName) override;
};

}  // namespace qm3270

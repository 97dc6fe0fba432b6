#include "ui/file_chooser.h"

#include "ui/backup_browser.h"

#include <QFileDialog>

namespace qm3270 {

namespace {

struct FileType {
    QString filter;
    QString suffix;  // added to a name typed without one
    bool confirmOverwrite;
};

// A name saved without ".doc" would not be listed by the open dialog's filter
// next time; replacing an existing file is asked first (the last name is
// pre-filled, so Enter alone would replace it).
const FileType kChannelFile{QStringLiteral("text(*.doc)"), QStringLiteral("doc"), true};
// An open takes the name as typed: one that does not exist gets the open's own
// "cannot open" message.
const FileType kChannelFileToOpen{QStringLiteral("text(*.doc)"), QString(), false};
const FileType kCsvFile{QStringLiteral("CSV(*.csv)"), QStringLiteral("csv"), true};

QString chooseFile(QWidget* parent, const QString& lastName, QFileDialog::AcceptMode mode,
                   const QString& title, const FileType& type = kChannelFile) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(type.filter);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !type.confirmOverwrite);
    dialog.setDefaultSuffix(type.suffix);
    if (!lastName.isEmpty()) {
        dialog.selectFile(lastName);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

}  // namespace

QString DialogFileChooser::chooseOpen(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptOpen, QStringLiteral("打开"),
                      kChannelFileToOpen);
}

QString DialogFileChooser::chooseSave(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptSave, QStringLiteral("另存为"));
}

QString DialogFileChooser::chooseBackup(QWidget* parent, const QString& folder,
                                        const ChannelFile& now) {
    return BackupBrowser::choose(parent, folder, now);
}

QString DialogFileChooser::chooseCsvOpen(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptOpen, QStringLiteral("打开"), kCsvFile);
}

QString DialogFileChooser::chooseCsvSave(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptSave, QStringLiteral("另存为"),
                      kCsvFile);
}

}  // namespace qm3270

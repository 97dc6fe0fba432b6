#include "ui/file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace qm3270 {

namespace {

struct FileType {
    QString filter;
    QString suffix;  // added to a name typed without one
    bool confirmOverwrite;
};

const FileType kChannelFile{QStringLiteral("text(*.doc)"), QString(), false};
// A CSV file is often someone else's list: replacing one is asked first.
const FileType kCsvFile{QStringLiteral("CSV(*.csv)"), QStringLiteral("csv"), true};

// Both dialogs accept any name: an open of a name that does not exist ends in
// the open's own "cannot open" message with nothing changed, and a save over an
// existing channel file is what the user asked for by picking it.
QString chooseFile(QWidget* parent, const QString& lastName, QFileDialog::AcceptMode mode,
                   const QString& title, const FileType& type = kChannelFile,
                   const QString& folder = QString()) {
    QFileDialog dialog(parent, title);
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    }
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
    return chooseFile(parent, lastName, QFileDialog::AcceptOpen, QStringLiteral("打开"));
}

QString DialogFileChooser::chooseSave(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptSave, QStringLiteral("另存为"));
}

QString DialogFileChooser::chooseOpenIn(QWidget* parent, const QString& folder) {
    // Before the first backup the folder does not exist yet: the data folder
    // holding it is the nearest place to look.
    const QFileInfo place(folder);
    return chooseFile(parent, QString(), QFileDialog::AcceptOpen, QStringLiteral("打开"),
                      kChannelFile, place.isDir() ? folder : place.absolutePath());
}

QString DialogFileChooser::chooseCsvOpen(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptOpen, QStringLiteral("打开"), kCsvFile);
}

QString DialogFileChooser::chooseCsvSave(QWidget* parent, const QString& lastName) {
    return chooseFile(parent, lastName, QFileDialog::AcceptSave, QStringLiteral("另存为"),
                      kCsvFile);
}

}  // namespace qm3270

#include "ui/file_chooser.h"

#include <QFileDialog>

namespace qm3270 {

namespace {

// Both dialogs accept any name: an open of a name that does not exist ends in
// the open's own "cannot open" message with nothing changed, and a save over an
// existing file is what the user asked for by picking it.
QString chooseFile(QWidget* parent, const QString& lastName, QFileDialog::AcceptMode mode,
                   const QString& title) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("text(*.doc)"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QString());
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

}  // namespace qm3270

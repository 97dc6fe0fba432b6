#include "ui/printer_chooser.h"

#include <QPrintDialog>
#include <QPrinter>

namespace qm3270 {

bool DialogPrinterChooser::choose(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    // The sheet is one page: nothing to pick from, nothing to number.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

PrinterChooser& platformPrinterChooser() {
    static DialogPrinterChooser chooser;
    return chooser;
}

}  // namespace qm3270

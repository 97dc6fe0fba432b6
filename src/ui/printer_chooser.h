#pragma once

class QPrinter;
class QWidget;

namespace qm3270 {

// The platform's print dialog: the user picks a printer, or a PDF file through
// Qt's own "print to file", and the page settings. false: cancelled.
class PrinterChooser {
public:
    virtual ~PrinterChooser() = default;
    virtual bool choose(QWidget* parent, QPrinter& printer) = 0;
};

class DialogPrinterChooser : public PrinterChooser {
public:
    bool choose(QWidget* parent, QPrinter& printer) override;
};

// The one the program uses unless told otherwise.
PrinterChooser& platformPrinterChooser();

}  // namespace qm3270

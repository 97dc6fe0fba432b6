#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qm3270 {

// The operating instructions as one caption. The runs of blanks between the
// items push each numbered item onto a line of its own in the wrapping label.
QString instructionsText();

// 操作说明: the instructions window. Modeless, without a parent so that it stays
// open after the main window has closed; destroyed when closed.
class frmAbout1 : public QDialog {  // NOLINT(readability-identifier-naming): design name
    Q_OBJECT

public:
    frmAbout1();

private:
    QLabel* description_;
    QPushButton* okButton_;
};

// Creates the window the first time, otherwise brings the open one forward.
frmAbout1* showInstructionsWindow();

}  // namespace qm3270

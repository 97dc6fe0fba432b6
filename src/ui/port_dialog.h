#pragma once

#include "link/port_lister.h"
#include "link/port_selection.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace qm3270 {

class MessagePresenter;
class PortListModel;

// What the port dialog works on. All of it belongs to the main window, which
// therefore also owns the dialog.
struct PortDialogContext {
    PortSelection& selection;
    MessagePresenter& messages;
    // COM1 and COM2 as devices, to tell them from a device the user typed.
    PortSelection::DeviceForNumber deviceForNumber;
    // What the list of " 其它端口" offers (USB cables and the like), followed
    // while the dialog is open.
    const PortLister& lister;
    // Runs before every OK that goes to a port, the open one included: a write
    // or read under way must end before its line is closed or moved.
    std::function<void()> beforePortChange{};
    // Runs after every OK that went to a port, whether it opened or not.
    std::function<void()> afterPortChange{};
};

// 选择端口: moves the program to COM1, COM2 or another serial device. Modeless;
// a failed OK leaves it open with its selection, so the user can try again.
class Dialog : public QDialog {  // NOLINT(readability-identifier-naming): design name
    Q_OBJECT

public:
    Dialog(PortDialogContext context, QWidget* window);

private:
    void loadSelection();
    void refreshList();
    void fitList();
    QString chosenDevice() const;  // the other port's name as typed or picked
    void accept() override;        // OKButton and Enter

    PortDialogContext context_;
    QLabel* prompt_;
    QRadioButton* com1_;
    QRadioButton* com2_;
    QRadioButton* otherPort_;
    QComboBox* otherDevice_;
    PortListModel* ports_;
    QTimer* refresh_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

// Creates the dialog (a window of its own, but owned by `window`, whose port it
// changes) the first time; otherwise brings the open one forward as the user
// left it. `context` is used only when the dialog is created.
Dialog* showPortDialog(QWidget* window, const PortDialogContext& context);

}  // namespace qm3270

#pragma once

#include "channels/user_message.h"
#include "link/port_lister.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace qm3270 {

class PortMemory;
class PortReturnWatch;
class PortSelection;

// The program's one view of its line: which port it opens at start-up, which
// port it remembers, what the status bar says about it, and the return of a
// lost cable. The window and its port dialog change the port through the
// selection and then tell it.
class PortKeeper : public QObject {
    Q_OBJECT

public:
    using Show = std::function<void(const UserMessage&)>;

    // `simulated`: the line is the program's own simulated radio, never remembered.
    PortKeeper(PortSelection& selection, const PortLister& lister, PortMemory& memory,
               bool simulated, QObject* parent = nullptr);
    ~PortKeeper() override;

    // With `explicitDevice` (--port, --simulate) that device. Otherwise the
    // remembered port when its device is there, else the one known programming
    // cable when exactly one is plugged in, both without a word; else COM1 and
    // COM2 with their messages.
    void openAtStartUp(const std::optional<QString>& explicitDevice, const Show& show);
    // The user chose a port in the dialog (opened or not).
    void portChosen();
    // The radio answered a ready poll: a port the user chose is remembered.
    void radioAnswered();

    QString statusText() const;  // "端口：/dev/ttyUSB0（CH340）"
    const PortLister& lister() const { return lister_; }
    PortReturnWatch& returnWatch() { return *returnWatch_; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void note(const QString& text);  // what start-up or a returning cable has to tell
    void returned();                 // the lost device is open again

private:
    bool tryRemembered();
    bool tryOnlyCable();
    bool openQuietly(const QString& name);
    void changed();

    PortSelection& selection_;
    const PortLister& lister_;
    PortMemory& memory_;
    PortReturnWatch* returnWatch_;
    bool simulated_;
    bool userChosen_ = false;
};

}  // namespace qm3270

#pragma once

#include "link/port_lister.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class QTimer;

namespace qm3270 {

class Port;

// After the line is lost, looks for the same device every tick and reopens it
// when it is back: the same name, or the same cable (USB vendor, product and
// serial number) under another name. A name that comes back on another cable
// is left alone. Whoever changes the port tells it with follow().
class PortReturnWatch : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kCheckPeriod{500};

    PortReturnWatch(Port& port, const PortLister& lister,
                    std::chrono::milliseconds period = kCheckPeriod, QObject* parent = nullptr);

    // The port has just been opened or closed on purpose: from now on its loss
    // is watched for (when open), and a loss watched so far is forgotten.
    void follow();
    bool isLost() const { return lost_; }
    QString lostName() const { return name_; }

    // The name to reopen for a device lost under `name`, that was `cable` when
    // it was open (none: not a listed USB device); nothing while it is away.
    static std::optional<QString> returnedName(const PortLister& lister, const QString& name,
                                               const std::optional<PortListing>& cable);

Q_SIGNALS:
    void lost(QString name);
    void returned(QString name);  // open again under this name
    // Something is back under the lost name, but not the cable that was lost.
    void otherCable(QString name, QString description);

private:
    void check();

    Port& port_;
    const PortLister& lister_;
    QTimer* timer_;
    QString name_;
    std::optional<PortListing> cable_;
    bool lost_ = false;
    bool toldOther_ = false;
};

}  // namespace qm3270

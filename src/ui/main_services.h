#pragma once

#include "link/link_timing.h"
#include "link/port_lister.h"
#include "link/port_selection.h"
#include "link/serial_port.h"
#include "ui/printer_chooser.h"

#include <QDate>
#include <QString>

#include <optional>

class QSettings;

namespace qm3270 {

class ChannelStore;
class FileChooser;
class MessagePresenter;
class Port;

// Everything the main window works with but does not create itself, so that a
// test can hand it an in-memory store, a fake port and recording dialogs.
struct MainWindowServices {
    ChannelStore& store;
    Port& port;
    MessagePresenter& messages;
    FileChooser& files;
    // COM1/COM2 → device name
    PortSelection::DeviceForNumber deviceForNumber = &SerialPort::deviceForNumber;
    LinkTiming timing{};
    QDate today = QDate::currentDate();   // shown once in Label8
    std::optional<QString> explicitPort;  // --port: replaces COM1/COM2 at start-up
    bool simulated = false;               // explicitPort is the simulated radio's line
    // What is plugged in: the port list, the cable at start-up, a lost cable's return.
    const PortLister& lister = systemPortLister();
    // The print dialog of 打印信道表.
    PrinterChooser& printers = platformPrinterChooser();
    // Where the window keeps its choices across runs (写后校验); none: they
    // last as long as the window.
    QSettings* settings = nullptr;
};

}  // namespace qm3270

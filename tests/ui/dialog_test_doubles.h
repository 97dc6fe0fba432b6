#pragma once

#include "channels/user_message.h"
#include "link/port.h"
#include "ui/message_presenter.h"

#include <QSet>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace qm3270::testing {

// A serial line whose opening fails for the devices marked busy (another program
// holds them). Counts opens and closes so that tests see whether the port was
// touched at all.
class BusyDevicePort : public Port {
public:
    QSet<QString> busy;
    int opens = 0;
    int closes = 0;

    bool open(const QString& device, QString* error) override {
        ++opens;
        device_ = device;
        if (busy.contains(device)) {
            if (error != nullptr) {
                *error = QStringLiteral("Permission denied");
            }
            return false;
        }
        open_ = true;
        return true;
    }
    void close() override {
        ++closes;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    QString device() const override { return device_; }

    void send(const QByteArray& /*text*/) override {}
    QString readOne() override { return {}; }
    int waitingCount() const override { return 0; }
    void discardInput() override {}
    bool outputDrained() const override { return true; }

private:
    bool open_ = false;
    QString device_;
};

inline QString fakeDeviceForNumber(int number) {
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
}

// Records each message instead of showing it, and answers OK at once.
class RecordingPresenter : public MessagePresenter {
public:
    struct Shown {
        UserMessage message;
        QWidget* parent;
    };
    std::vector<Shown> shown;

    void show(QWidget* parent, const UserMessage& message) override {
        shown.push_back({message, parent});
    }
    QStringList texts() const {
        QStringList result;
        for (const Shown& entry : shown) {
            result << entry.message.text;
        }
        return result;
    }
};

}  // namespace qm3270::testing

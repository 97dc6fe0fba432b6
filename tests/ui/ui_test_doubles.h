#pragma once

#include "channels/user_message.h"
#include "link/port.h"
#include "ui/file_chooser.h"
#include "ui/message_presenter.h"

#include <QList>
#include <QSet>
#include <QStringList>

namespace uitest {

// Records every message the window would show and answers OK at once.
class RecordingPresenter : public qm3270::MessagePresenter {
public:
    void show(QWidget*, const qm3270::UserMessage& message) override { shown.append(message); }
    QStringList texts() const {
        QStringList result;
        for (const auto& message : shown) {
            result << message.text;
        }
        return result;
    }
    QList<qm3270::UserMessage> shown;
};

// Answers the file dialogs from a script; an empty answer is a cancel. Keeps
// the name each dialog was started with.
class ScriptedFileChooser : public qm3270::FileChooser {
public:
    QString chooseOpen(QWidget*, const QString& lastName) override { return answer(lastName); }
    QString chooseSave(QWidget*, const QString& lastName) override { return answer(lastName); }

    QStringList answers;
    QStringList startedWith;

private:
    QString answer(const QString& lastName) {
        startedWith << lastName;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// A line to nowhere: opens the devices it is told are free, keeps what is sent.
class QuietPort : public qm3270::Port {
public:
    bool open(const QString& device, QString* error) override {
        if (!freeDevices.contains(device)) {
            if (error) {
                *error = QStringLiteral("busy");
            }
            return false;
        }
        device_ = device;
        return true;
    }
    void close() override { device_.clear(); }
    bool isOpen() const override { return !device_.isEmpty(); }
    QString device() const override { return device_; }
    void send(const QByteArray& text) override { sent += text; }
    QString readOne() override { return {}; }
    int waitingCount() const override { return 0; }
    void discardInput() override {}
    bool outputDrained() const override { return true; }

    QSet<QString> freeDevices{QStringLiteral("COM1"), QStringLiteral("COM2")};
    QByteArray sent;

private:
    QString device_;
};

}  // namespace uitest

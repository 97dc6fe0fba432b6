#pragma once

#include "channels/user_message.h"
#include "ui/file_chooser.h"
#include "ui/message_presenter.h"

#include <QList>
#include <QStringList>
#include <QWidget>

namespace qm3270::test {

// Records each message instead of showing it, with the window it was shown
// over, and answers OK at once; a question gets `answer`.
class RecordingPresenter : public MessagePresenter {
public:
    struct Shown {
        UserMessage message;
        QWidget* parent;
    };
    QList<Shown> shown;
    QList<UserMessage> asked;
    bool answer = true;

    void show(QWidget* parent, const UserMessage& message) override {
        shown.append({message, parent});
    }
    bool ask(QWidget*, const UserMessage& question) override {
        asked << question;
        return answer;
    }
    QList<UserMessage> messages() const {
        QList<UserMessage> result;
        for (const Shown& entry : shown) {
            result << entry.message;
        }
        return result;
    }
    QStringList texts() const {
        QStringList result;
        for (const Shown& entry : shown) {
            result << entry.message.text;
        }
        return result;
    }
};

// Answers the file dialogs from a script; an empty answer is a cancel. Keeps
// the name (or, for the backups, the folder) each dialog was started with.
class ScriptedFileChooser : public FileChooser {
public:
    QString chooseOpen(QWidget*, const QString& lastName) override { return answer(lastName); }
    QString chooseSave(QWidget*, const QString& lastName) override { return answer(lastName); }
    QString chooseOpenIn(QWidget*, const QString& folder) override { return answer(folder); }
    QString chooseCsvOpen(QWidget*, const QString& lastName) override { return answer(lastName); }
    QString chooseCsvSave(QWidget*, const QString& lastName) override { return answer(lastName); }

    QStringList answers;
    QStringList startedWith;

private:
    QString answer(const QString& lastName) {
        startedWith << lastName;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

}  // namespace qm3270::test

#include "ui/operation_outcomes.h"

#include <QFileInfo>

namespace qm3270 {

namespace {

// "%1" is the file's name.
const char16_t* doneText(OperationOutcomes::Operation what) {
    switch (what) {
        case OperationOutcomes::Operation::Open:
            return u"已打开 %1";
        case OperationOutcomes::Operation::Save:
            return u"已保存 %1";
        case OperationOutcomes::Operation::Restore:
            return u"已恢复备份 %1";
        case OperationOutcomes::Operation::Import:
            return u"已导入 %1";
        case OperationOutcomes::Operation::Export:
            return u"已导出 %1";
    }
    return u"%1";
}

}  // namespace

OperationOutcomes::OperationOutcomes(MessagePresenter& messages, FileChooser& files)
    : presenter_(messages), chooser_(files) {}

std::optional<QString> OperationOutcomes::run(Operation what,
                                              const std::function<void()>& operation) {
    presenter_.first.clear();
    presenter_.declined = false;
    chooser_.chosen.clear();
    operation();
    if (!presenter_.first.isEmpty()) {
        return presenter_.first;
    }
    if (chooser_.chosen.isEmpty() || presenter_.declined) {
        return std::nullopt;
    }
    return QString::fromUtf16(doneText(what)).arg(QFileInfo(chooser_.chosen).fileName());
}

void OperationOutcomes::Presenter::show(QWidget* parent, const UserMessage& message) {
    if (first.isEmpty()) {
        first = message.text.section(u'\n', 0, 0);
    }
    inner_.show(parent, message);
}

// A question is no outcome; a no to it leaves things as they were.
bool OperationOutcomes::Presenter::ask(QWidget* parent, const UserMessage& question) {
    const bool yes = inner_.ask(parent, question);
    declined = declined || !yes;
    return yes;
}

QString OperationOutcomes::Chooser::note(const QString& name) {
    chosen = name;
    return name;
}

QString OperationOutcomes::Chooser::chooseOpen(QWidget* parent, const QString& lastName) {
    return note(inner_.chooseOpen(parent, lastName));
}

QString OperationOutcomes::Chooser::chooseSave(QWidget* parent, const QString& lastName) {
    return note(inner_.chooseSave(parent, lastName));
}

QString OperationOutcomes::Chooser::chooseBackup(QWidget* parent, const QString& folder,
                                                 const ChannelFile& now) {
    return note(inner_.chooseBackup(parent, folder, now));
}

QString OperationOutcomes::Chooser::chooseCsvOpen(QWidget* parent, const QString& lastName) {
    return note(inner_.chooseCsvOpen(parent, lastName));
}

QString OperationOutcomes::Chooser::chooseCsvSave(QWidget* parent, const QString& lastName) {
    return note(inner_.chooseCsvSave(parent, lastName));
}

}  // namespace qm3270

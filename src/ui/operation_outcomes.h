#pragma once

#include "ui/file_chooser.h"
#include "ui/message_presenter.h"

#include <QString>

#include <functional>
#include <optional>

namespace qm3270 {

// What 打开, 保存, 恢复备份, 导入 CSV and 导出 CSV came to, for the status bar.
// The file actions are handed its presenter and chooser, which pass everything
// on and note the file chosen and the first message shown.
class OperationOutcomes {
public:
    enum class Operation { Open, Save, Restore, Import, Export };

    OperationOutcomes(MessagePresenter& messages, FileChooser& files);

    MessagePresenter& messages() { return presenter_; }
    FileChooser& files() { return chooser_; }

    // Runs `operation`. Its outcome: the first line of the first message it
    // showed, else the done text with the chosen file's name; nothing when the
    // user chose no file or said no to its question.
    std::optional<QString> run(Operation what, const std::function<void()>& operation);

private:
    class Presenter : public MessagePresenter {
    public:
        explicit Presenter(MessagePresenter& inner) : inner_(inner) {}
        void show(QWidget* parent, const UserMessage& message) override;
        bool ask(QWidget* parent, const UserMessage& question) override;
        QString first;
        bool declined = false;

    private:
        MessagePresenter& inner_;
    };
    class Chooser : public FileChooser {
    public:
        explicit Chooser(FileChooser& inner) : inner_(inner) {}
        QString chooseOpen(QWidget* parent, const QString& lastName) override;
        QString chooseSave(QWidget* parent, const QString& lastName) override;
        QString chooseBackup(QWidget* parent, const QString& folder,
                             const ChannelFile& now) override;
        QString chooseCsvOpen(QWidget* parent, const QString& lastName) override;
        QString chooseCsvSave(QWidget* parent, const QString& lastName) override;
        QString chosen;

    private:
        QString note(const QString& name);
        FileChooser& inner_;
    };

    Presenter presenter_;
    Chooser chooser_;
};

}  // namespace qm3270

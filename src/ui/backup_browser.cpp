#include "ui/backup_browser.h"

#include <QBrush>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace qm3270 {

namespace {

constexpr int kFieldColumns = 3;  // receive, transmit, beat
const QString kUnreadable = QStringLiteral("无法读取");
const QString kDiffers = QStringLiteral("≠");

QTableWidget* table(QWidget* parent, const char* name, const QStringList& captions) {
    auto* widget = new QTableWidget(0, static_cast<int>(captions.size()), parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setHorizontalHeaderLabels(captions);
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widget->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return widget;
}

QTableWidgetItem* cell(const QString& text) {
    return new QTableWidgetItem(text);
}

bool sameChannel(const ChannelRecord& a, const ChannelRecord& b) {
    for (int column = kReceive; column <= kBeat; ++column) {
        if (a[column].value_or(QString()) != b[column].value_or(QString())) {
            return false;
        }
    }
    return true;
}

}  // namespace

BackupBrowser::BackupBrowser(const QString& folder, ChannelFile now, QWidget* parent)
    : QDialog(parent),
      now_(std::move(now)),
      list_(table(this, "backups",
                  {QStringLiteral("时间"), QStringLiteral("事件"), QStringLiteral("静噪级别")})),
      channels_(
          table(this, "backupChannels",
                {QStringLiteral("接收频率"), QStringLiteral("发送频率"), QStringLiteral("拍频")})),
      note_(new QLabel(this)),
      restore_(new QPushButton(QStringLiteral("恢复(&R)"), this)) {
    setObjectName(QStringLiteral("backupBrowser"));
    setWindowTitle(QStringLiteral("恢复备份"));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    list_->setAccessibleName(QStringLiteral("备份"));
    channels_->setRowCount(kChannelCount);
    channels_->setAccessibleName(QStringLiteral("备份的信道"));
    note_->setObjectName(QStringLiteral("backupNote"));
    note_->setWordWrap(true);
    restore_->setObjectName(QStringLiteral("恢复"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("取消"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(restore_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* lists = new QHBoxLayout;
    lists->addWidget(list_, 3);
    lists->addWidget(channels_, 4);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(note_);
    layout->addWidget(buttons);
    resize(860, 520);

    const auto listed = BackupFolder(folder).list();
    if (const auto* missing = std::get_if<UserMessage>(&listed)) {
        note_->setText(missing->text);
    } else {
        entries_ = std::get<QList<BackupFolder::Entry>>(listed);
    }
    list_->setRowCount(static_cast<int>(entries_.size()));
    for (int row = 0; row < list_->rowCount(); ++row) {
        const BackupFolder::Entry& entry = entries_.at(row);
        const auto* file = std::get_if<ChannelFile>(&entry.content);
        list_->setItem(row, 0, cell(entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        list_->setItem(row, 1, cell(entry.event));
        list_->setItem(row, 2, cell(file != nullptr ? file->squelch.trimmed() : kUnreadable));
    }
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) { showBackup(row); });
    if (!entries_.isEmpty()) {
        list_->setCurrentCell(0, 0);
    }
    showBackup(list_->currentRow());
    list_->setFocus();
}

QString BackupBrowser::choose(QWidget* parent, const QString& folder, const ChannelFile& now) {
    BackupBrowser browser(folder, now, parent);
    return browser.exec() == QDialog::Accepted ? browser.chosen() : QString();
}

QString BackupBrowser::chosen() const {
    const int row = list_->currentRow();
    if (row < 0 || row >= entries_.size() ||
        !std::holds_alternative<ChannelFile>(entries_.at(row).content)) {
        return {};
    }
    return entries_.at(row).path;
}

void BackupBrowser::showBackup(int index) {
    channels_->clearContents();
    const auto* file = index >= 0 && index < entries_.size()
                           ? std::get_if<ChannelFile>(&entries_.at(index).content)
                           : nullptr;
    restore_->setEnabled(file != nullptr);
    if (index >= 0 && index < entries_.size() && file == nullptr) {
        const auto& refused = std::get<UserMessage>(entries_.at(index).content);
        note_->setText(kUnreadable + QStringLiteral("：") + refused.text + u'\n' + refused.detail);
        return;
    }
    if (file == nullptr) {
        return;
    }
    int differing = 0;
    for (int row = 0; row < kChannelCount; ++row) {
        const auto k = static_cast<std::size_t>(row);
        const bool differs = !sameChannel(file->rows.at(k), now_.rows.at(k));
        differing += differs ? 1 : 0;
        for (int column = 0; column < kFieldColumns; ++column) {
            auto* item = cell(file->rows.at(k)[column + kReceive].value_or(QString()));
            if (differs) {
                item->setBackground(QBrush(QColor(255, 236, 179)));  // a highlighter's yellow
            }
            channels_->setItem(row, column, item);
        }
        // The mark is a sign too, not only a colour.
        channels_->setVerticalHeaderItem(
            row, cell(differs ? QStringLiteral("%1 %2").arg(kDiffers).arg(row + 1)
                              : QString::number(row + 1)));
    }
    note_->setText(differing == 0 ? QStringLiteral("与当前信道表相同。")
                                  : QStringLiteral("标有“%1”的 %2 个信道与当前信道表不同。")
                                        .arg(kDiffers)
                                        .arg(differing));
}

}  // namespace qm3270

#include "ui/operations_log_window.h"

#include "session/operations_log.h"
#include "ui/file_chooser.h"
#include "ui/message_presenter.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qm3270 {

OperationsLogWindow::OperationsLogWindow(OperationsLog& log, FileChooser& files,
                                         MessagePresenter& messages, QWidget* parent)
    : QWidget(parent, Qt::Window),
      log_(log),
      files_(files),
      messages_(messages),
      table_(new QTableView(this)) {
    setObjectName(QStringLiteral("操作记录"));
    setWindowTitle(QStringLiteral("操作记录"));
    table_->setObjectName(QStringLiteral("记录表"));
    table_->setModel(&log_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(0, 80);
    table_->setColumnWidth(1, 90);
    connect(&log_, &OperationsLog::rowsInserted, table_, [this] { table_->scrollToBottom(); });

    auto* save = new QPushButton(QStringLiteral("保存记录(&S)..."), this);
    save->setObjectName(QStringLiteral("保存记录"));
    connect(save, &QPushButton::clicked, this, &OperationsLogWindow::saveLog);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(560, 360);
}

void OperationsLogWindow::saveLog() {
    const QString path = files_.chooseCsvSave(this, lastName_);
    if (path.isEmpty()) {
        return;
    }
    lastName_ = path;
    if (const auto failure = log_.saveCsv(path)) {
        messages_.show(this, *failure);
    }
}

}  // namespace qm3270

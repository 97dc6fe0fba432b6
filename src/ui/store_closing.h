#pragma once

#include <QDateTime>
#include <QString>

class QWidget;

namespace qm3270 {

class ChannelStore;
class MessagePresenter;

// The window's last step with the table: what is not in the database yet is
// written there, or, when the database still refuses it (read-only, full,
// locked), the whole table and the squelch text are saved as a channel file
// in the backup folder and the user is told where ("信道数据未能写入数据库，
// 已另存为：" and the file). Nothing typed is lost on the way out.
void keepTableAtExit(ChannelStore& store, const QString& squelch, MessagePresenter& messages,
                     QWidget* window, const QDateTime& now = QDateTime::currentDateTime());

}  // namespace qm3270

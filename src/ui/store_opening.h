#pragma once

#include <QString>

#include <memory>

namespace qm3270 {

class ChannelStore;
class MessagePresenter;

// Opens the channel database for the window. A file that is not a usable
// database is reported ("数据库文件无法打开：" and the path) and left untouched;
// the caller then ends the program.
std::unique_ptr<ChannelStore> openStoreOrReport(const QString& path, MessagePresenter& messages);

}  // namespace qm3270

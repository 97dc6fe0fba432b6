#include "ui/store_opening.h"

#include "channels/channel_store.h"
#include "ui/message_presenter.h"

namespace qm3270 {

std::unique_ptr<ChannelStore> openStoreOrReport(const QString& path, MessagePresenter& messages) {
    QString reason;
    auto store = ChannelStore::open(path, &reason);
    if (!store) {
        messages.show(nullptr, {QStringLiteral("数据库文件无法打开：") + path,
                                QStringLiteral("错误警告 "), UserMessage::Icon::Information});
    }
    return store;
}

}  // namespace qm3270

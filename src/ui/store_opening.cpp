#include "ui/store_opening.h"

#include "channels/channel_store.h"
#include "channels/messages.h"
#include "ui/message_presenter.h"

namespace qm3270 {

std::unique_ptr<ChannelStore> openStoreOrReport(const QString& path, MessagePresenter& messages) {
    QString reason;
    auto store = ChannelStore::open(path, &reason);
    if (!store) {
        messages.show(nullptr, channel_messages::databaseUnusable(path));
    }
    return store;
}

}  // namespace qm3270

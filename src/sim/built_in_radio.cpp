#include "sim/built_in_radio.h"

#include "channels/channel_store.h"
#include "sim/pty_radio.h"
#include "sim/radio_memory.h"

#include <QDir>
#include <QFileInfo>

#include <variant>

namespace qm3270 {

QString builtInRadioMemoryPath() {
    return QFileInfo(ChannelStore::defaultPath())
        .dir()
        .filePath(QStringLiteral("simulated-radio.doc"));
}

bool startRadioWithMemory(PtyRadio& radio, const QString& memoryFile, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    if (QFileInfo::exists(memoryFile)) {
        auto loaded = loadRadioMemory(memoryFile);
        if (const auto* reason = std::get_if<QString>(&loaded)) {
            return fail(*reason);
        }
        radio.engine().setMemory(std::get<RadioEngine::Frames>(loaded));
    } else {
        // A first run: the folder of the default database may not exist yet.
        const QString folder = QFileInfo(memoryFile).absolutePath();
        if (!QDir().mkpath(folder)) {
            return fail(QStringLiteral("cannot create %1").arg(folder));
        }
        radio.engine().setMemory(RadioEngine::unprogrammedMemory());
        if (const auto failure = saveRadioMemory(memoryFile, radio.engine().memory())) {
            return fail(*failure);
        }
    }
    radio.setMemoryFile(memoryFile);
    return radio.open(error);
}

}  // namespace qm3270

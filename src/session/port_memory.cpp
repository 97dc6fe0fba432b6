#include "session/port_memory.h"

#include "session/messages.h"

#include <QSettings>
#include <QStringList>

namespace qm3270 {

namespace {

const QString kNameKey = QStringLiteral("port/name");
const QString kCableKey = QStringLiteral("port/usbIds");  // "1a86:7523:SERIAL"

constexpr int kHex = 16;

std::optional<PortListing> cableFrom(const QString& text) {
    const QStringList parts = text.split(u':');
    if (parts.size() < 3) {
        return std::nullopt;
    }
    bool vendorOk = false;
    bool productOk = false;
    const uint vendor = parts.at(0).toUInt(&vendorOk, kHex);
    const uint product = parts.at(1).toUInt(&productOk, kHex);
    if (!vendorOk || !productOk || vendor > 0xffff || product > 0xffff) {
        return std::nullopt;
    }
    PortListing cable;
    cable.vendor = static_cast<quint16>(vendor);
    cable.product = static_cast<quint16>(product);
    cable.serialNumber = parts.mid(2).join(u':');  // a serial number may hold colons
    return cable;
}

QString cableText(const PortListing& cable) {
    return QStringLiteral("%1:%2:%3")
        .arg(*cable.vendor, 4, kHex, QLatin1Char('0'))
        .arg(*cable.product, 4, kHex, QLatin1Char('0'))
        .arg(cable.serialNumber);
}

}  // namespace

PortMemory::PortMemory(QSettings* settings) : settings_(settings) {}

bool PortMemory::usable() const {
    return settings_ != nullptr && settings_->status() == QSettings::NoError;
}

std::optional<UserMessage> PortMemory::unreadable() const {
    if (settings_ == nullptr || settings_->status() == QSettings::NoError) {
        return std::nullopt;
    }
    using namespace port_messages;
    return UserMessage{
        QString::fromUtf16(kSettingsUnreadable).arg(settings_->fileName()),
        QString::fromUtf16(kTitle), UserMessage::Icon::Exclamation,
        QString::fromUtf16(settings_->status() == QSettings::AccessError ? kSettingsAccess
                                                                         : kSettingsFormat)};
}

std::optional<PortMemory::Remembered> PortMemory::remembered() const {
    if (!usable()) {
        return std::nullopt;
    }
    const QString name = settings_->value(kNameKey).toString().trimmed();
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return Remembered{name, cableFrom(settings_->value(kCableKey).toString())};
}

void PortMemory::remember(const QString& name, const std::optional<PortListing>& cable) {
    if (!usable()) {
        return;
    }
    settings_->setValue(kNameKey, name);
    if (cable && cable->hasUsbIds()) {
        settings_->setValue(kCableKey, cableText(*cable));
    } else {
        settings_->remove(kCableKey);
    }
    settings_->sync();
}

}  // namespace qm3270

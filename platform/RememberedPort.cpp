#include "platform/RememberedPort.h"

#include <QDir>
#include <QSettings>
#include <QUrl>

namespace korvi {

namespace {

QSettings UserStore() {
    return QSettings(QSettings::UserScope, QStringLiteral("KorviSensor"),
                     QStringLiteral("KorviSensor"));
}

const QString kReconnectKey = QStringLiteral("Reconnect");

QString UsbId(const std::optional<quint16>& id) {
    return id ? QStringLiteral("%1").arg(*id, 4, 16, QLatin1Char('0')) : QString();
}

std::optional<quint16> ParseUsbId(const QString& text) {
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    return ok && value <= 0xFFFF ? std::optional<quint16>(static_cast<quint16>(value))
                                 : std::nullopt;
}

}  // namespace

// The folder's path goes into one key: percent-encoded, so that its slashes do not open groups.
RememberedPort::RememberedPort(QString appFolder) {
    const QString folder = QString::fromLatin1(QUrl::toPercentEncoding(QDir::cleanPath(appFolder)));
    key_ = QStringLiteral("Port/") + folder;
    identityKey_ = QStringLiteral("PortIdentity/") + folder;
}

QString RememberedPort::device() const {
    return UserStore().value(key_).toString();
}

// Kept as "vendor:product:serial number" in lsusb's hex digits.
PortIdentity RememberedPort::identity() const {
    const QStringList parts = UserStore().value(identityKey_).toString().split(u':');
    if (parts.size() < 3) {
        return {};
    }
    return {ParseUsbId(parts[0]), ParseUsbId(parts[1]), parts.mid(2).join(u':')};
}

void RememberedPort::remember(const QString& device, const PortIdentity& identity) const {
    QSettings store = UserStore();
    if (device.isEmpty()) {
        store.remove(key_);
    } else {
        store.setValue(key_, device);
    }
    if (device.isEmpty() || !identity.IsKnown()) {
        store.remove(identityKey_);
    } else {
        store.setValue(identityKey_, UsbId(identity.vendorId) + u':' + UsbId(identity.productId) +
                                         u':' + identity.serialNumber);
    }
    store.sync();
}

bool RememberedPort::reconnect() const {
    return UserStore().value(kReconnectKey, false).toBool();
}

void RememberedPort::setReconnect(bool on) const {
    QSettings store = UserStore();
    store.setValue(kReconnectKey, on);
    store.sync();
}

}  // namespace korvi

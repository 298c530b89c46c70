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

}  // namespace

// The folder's path goes into one key: percent-encoded, so that its slashes do not open groups.
RememberedPort::RememberedPort(QString appFolder)
    : key_(QStringLiteral("Port/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QDir::cleanPath(appFolder)))) {}

QString RememberedPort::device() const {
    return UserStore().value(key_).toString();
}

void RememberedPort::remember(const QString& device) const {
    QSettings store = UserStore();
    if (device.isEmpty()) {
        store.remove(key_);
    } else {
        store.setValue(key_, device);
    }
    store.sync();
}

}  // namespace korvi

#include "publish/PublishTargets.h"

#include <QSettings>

namespace korvi {

namespace {

QSettings UserStore() {
    return QSettings(QSettings::UserScope, QStringLiteral("KorviSensor"),
                     QStringLiteral("KorviSensor"));
}

void ReadTarget(const QSettings& store, const QString& name, UdpTarget& target) {
    target.on = store.value(name + QStringLiteral("/On"), target.on).toBool();
    target.host = store.value(name + QStringLiteral("/Host"), target.host).toString();
    const uint port = store.value(name + QStringLiteral("/Port"), target.port).toUInt();
    if (port >= 1 && port <= 65535) {
        target.port = static_cast<uint16_t>(port);
    }
}

void WriteTarget(QSettings& store, const QString& name, const UdpTarget& target) {
    store.setValue(name + QStringLiteral("/On"), target.on);
    store.setValue(name + QStringLiteral("/Host"), target.host);
    store.setValue(name + QStringLiteral("/Port"), target.port);
}

}  // namespace

bool ParseHostPort(const QString& text, UdpTarget& target) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0) {
        return false;
    }
    QString host = text.left(colon).trimmed();
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        host = host.mid(1, host.size() - 2);
    } else if (host.contains(u':')) {
        return false;  // an IPv6 address goes in brackets
    }
    bool ok = false;
    const uint port = text.mid(colon + 1).trimmed().toUInt(&ok);
    if (host.isEmpty() || !ok || port < 1 || port > 65535) {
        return false;
    }
    target = {true, host, static_cast<uint16_t>(port)};
    return true;
}

QString HostPortText(const UdpTarget& target) {
    const QString host =
        target.host.contains(u':') ? QStringLiteral("[%1]").arg(target.host) : target.host;
    return QStringLiteral("%1:%2").arg(host).arg(target.port);
}

PublishTargets RememberedPublishTargets() {
    const QSettings store = UserStore();
    PublishTargets targets;
    ReadTarget(store, QStringLiteral("Publish/Osc"), targets.osc);
    ReadTarget(store, QStringLiteral("Publish/Tuio"), targets.tuio);
    targets.websocket = store.value(QStringLiteral("Publish/WebSocket/On"), false).toBool();
    const uint port = store.value(QStringLiteral("Publish/WebSocket/Port"), 8765).toUInt();
    if (port >= 1 && port <= 65535) {
        targets.websocketPort = static_cast<uint16_t>(port);
    }
    targets.everyInterface =
        store.value(QStringLiteral("Publish/WebSocket/EveryInterface"), false).toBool();
    targets.allowedOrigin =
        store.value(QStringLiteral("Publish/WebSocket/AllowedOrigin")).toString();
    return targets;
}

void RememberPublishTargets(const PublishTargets& targets) {
    QSettings store = UserStore();
    WriteTarget(store, QStringLiteral("Publish/Osc"), targets.osc);
    WriteTarget(store, QStringLiteral("Publish/Tuio"), targets.tuio);
    store.setValue(QStringLiteral("Publish/WebSocket/On"), targets.websocket);
    store.setValue(QStringLiteral("Publish/WebSocket/Port"), targets.websocketPort);
    store.setValue(QStringLiteral("Publish/WebSocket/EveryInterface"), targets.everyInterface);
    store.setValue(QStringLiteral("Publish/WebSocket/AllowedOrigin"), targets.allowedOrigin);
}

}  // namespace korvi

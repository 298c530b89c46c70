#include "platform/RecentLayouts.h"

#include <QFileInfo>
#include <QSettings>

namespace korvi {

namespace {

const QString kKey = QStringLiteral("RecentLayouts");

QSettings UserStore() {
    return QSettings(QSettings::UserScope, QStringLiteral("KorviSensor"),
                     QStringLiteral("KorviSensor"));
}

// One file under one name however it was reached (a relative path, "..", a second slash).
QString SameFile(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

void Store(const QStringList& list) {
    QSettings store = UserStore();
    store.setValue(kKey, list);
    store.sync();
}

}  // namespace

QStringList WithRecentLayout(const QStringList& list, const QString& path) {
    const QString file = SameFile(path);
    QStringList out{file};
    for (const QString& entry : list) {
        if (out.size() == kRecentLayoutCount) {
            break;
        }
        if (SameFile(entry) != file) {
            out.append(entry);
        }
    }
    return out;
}

QStringList RecentLayouts::list() const {
    return UserStore().value(kKey).toStringList().mid(0, kRecentLayoutCount);
}

void RecentLayouts::add(const QString& path) const {
    Store(WithRecentLayout(list(), path));
}

void RecentLayouts::remove(const QString& path) const {
    QStringList kept = list();
    kept.removeAll(SameFile(path));
    Store(kept);
}

}  // namespace korvi

#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace korvi {

QString ApplicationFolder() {
    const QString home = qEnvironmentVariable("KORVISENSOR_HOME");
    if (!home.isEmpty()) {
        return QDir(home).absolutePath();
    }
    return QCoreApplication::applicationDirPath();
}

QString NativePath(const QString& path) {
#ifdef Q_OS_WIN
    return path;
#else
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
#endif
}

QString ResolvePath(const QString& folder, const QString& path) {
    const QString native = NativePath(path);
    if (QDir::isAbsolutePath(native)) {
        return native;
    }
    return QDir(folder).filePath(native);
}

QString InApplicationFolder(const QString& folder, const QString& name) {
    return QDir(folder).filePath(NativePath(name));
}

}  // namespace korvi

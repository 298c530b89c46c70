#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvi {

ApplicationFolderPlan ChooseApplicationFolder(const QString& home, const QString& executableFolder,
                                              const QString& userDataFolder) {
    ApplicationFolderPlan plan;
    plan.demoFolder = InstalledDemoFolder(executableFolder);
    if (!home.isEmpty()) {
        plan.path = QDir(home).absolutePath();
        plan.source = FolderSource::Environment;
    } else if (QFileInfo(QDir(executableFolder).filePath(QStringLiteral("Setting.ini"))).isFile()) {
        plan.path = QDir(executableFolder).absolutePath();
        plan.source = FolderSource::Portable;
    } else {
        plan.path = QDir(userDataFolder).absolutePath();
        plan.source = FolderSource::UserData;
    }
    return plan;
}

ApplicationFolderPlan PlanApplicationFolder() {
    // The generic location plus our own name does not depend on the organisation and application
    // names the toolkit would otherwise put into the path.
    const QString userData =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("KorviSensor"));
    return ChooseApplicationFolder(qEnvironmentVariable("KORVISENSOR_HOME"),
                                   QCoreApplication::applicationDirPath(), userData);
}

QString ApplicationFolder() {
    return PlanApplicationFolder().path;
}

QString InstalledDemoFolder(const QString& executableFolder) {
    return QDir::cleanPath(
        QDir(executableFolder).filePath(QStringLiteral("../share/korvisensor/demo")));
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

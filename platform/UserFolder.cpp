#include "platform/UserFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace korvi {

namespace {

// True for "Device=..." in any letter case and with blanks around the name; comments start with
// ";" and are kept. Works on the bytes, so Shift-JIS text elsewhere in the file stays as it is.
bool IsDeviceLine(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf('=');
    return equals > 0 && trimmed.left(equals).trimmed().toLower() == "device";
}

bool CopySettingWithoutDevice(const QString& from, const QString& to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    QByteArray out;
    for (const QByteArray& line : in.readAll().split('\n')) {
        if (!IsDeviceLine(line)) {
            out += line + '\n';
        }
    }
    out.chop(1);  // split() gave one piece more than there were line ends
    QFile file(to);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(out) == out.size();
}

// Installed files are read-only; the user's copies are theirs to edit.
void MakeEditable(const QString& file) {
    QFile::setPermissions(
        file, QFile::permissions(file) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace

UserFolderResult PrepareUserFolder(const QString& folder, const QString& demoFolder) {
    const QDir target(folder);
    QDir().mkpath(folder);
    if (QFileInfo(target.filePath(QStringLiteral("Setting.ini"))).isFile()) {
        return UserFolderResult::Reused;
    }
    const QDir demo(demoFolder);
    if (demoFolder.isEmpty() || !QFileInfo(demo.filePath(QStringLiteral("Setting.ini"))).isFile()) {
        return UserFolderResult::NoDemo;
    }
    QDirIterator it(demoFolder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = demo.relativeFilePath(source);
        const QString destination = target.filePath(relative);
        if (it.fileInfo().isDir()) {
            target.mkpath(relative);
            continue;
        }
        if (relative == QLatin1String("Setting.ini") || QFileInfo::exists(destination)) {
            continue;
        }
        target.mkpath(QFileInfo(relative).path());
        QFile::copy(source, destination);
        MakeEditable(destination);
    }
    // Setting.ini last: a start interrupted while copying finds no Setting.ini and completes the
    // copy next time.
    const QString setting = target.filePath(QStringLiteral("Setting.ini"));
    CopySettingWithoutDevice(demo.filePath(QStringLiteral("Setting.ini")), setting);
    MakeEditable(setting);
    return UserFolderResult::Created;
}

}  // namespace korvi

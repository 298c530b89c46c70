#include "tests/support/TempAppFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace korvi::test {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

const QByteArray kRecordingHeader =
    QByteArray::fromHex("835A83938354815B4E6F2E2C88B397CD2C588DC095572C598DC09557") + "\r\n";

QByteArray DrawSettingFile(std::initializer_list<const char*> pressColors, const QByteArray& rest) {
    QByteArray text = "[Disp_Setting]\r\n";
    int n = 0;
    for (const char* entry : pressColors) {
        text += "PressColor" + QByteArray::number(n++) + '=' + entry + "\r\n";
    }
    return text + rest;
}

TempAppFolder::TempAppFolder()
    : savedHome_(qgetenv("KORVISENSOR_HOME")), savedTmp_(qgetenv("TMPDIR")) {
    qputenv("KORVISENSOR_HOME", dir_.path().toLocal8Bit());
    QDir(dir_.path()).mkpath(QStringLiteral("tmp"));
    qputenv("TMPDIR", file(QStringLiteral("tmp")).toLocal8Bit());
    // The user's settings store (the remembered port) lives here too, never in the real home.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       file(QStringLiteral("config")));
}

TempAppFolder::~TempAppFolder() {
    qputenv("KORVISENSOR_HOME", savedHome_);
    qputenv("TMPDIR", savedTmp_);
}

QString TempAppFolder::file(const QString& name) const {
    return QDir(dir_.path()).filePath(name);
}

void TempAppFolder::write(const QString& name, const QByteArray& bytes) const {
    WriteFile(file(name), bytes);
}

void TempAppFolder::writeDefaults() const {
    write(QStringLiteral("Setting.ini"),
          "[Com_Setting]\r\nPortNo=1\r\nSpeed=19200\r\nParity=E\r\nDataLen=8\r\nStopBit=1\r\n"
          "[Disp_Setting]\r\nBaseColor=&HE0E0E0\r\nBmpDir=Bmp\r\nBaseDir=Base\r\nMergeMode=1\r\n");
    write(QStringLiteral("DrawSetting1.ini"), DrawSettingFile({"0,FF,&H0000FF,5"}));
    QDir(dir_.path()).mkpath(QStringLiteral("Bmp"));
    QDir(dir_.path()).mkpath(QStringLiteral("Base"));
}

QString TempAppFolder::demoFolder() {
    return QStringLiteral(KORVI_SOURCE_DIR "/demo");
}

void TempAppFolder::copyDemo() const {
    const QDir demo(demoFolder());
    const QStringList files = {QStringLiteral("Setting.ini"), QStringLiteral("DrawSetting1.ini"),
                               QStringLiteral("DrawSetting2.ini")};
    for (const QString& name : files) {
        QFile::copy(demo.filePath(name), file(name));
    }
    for (const QString& sub :
         {QStringLiteral("Bmp"), QStringLiteral("Base"), QStringLiteral("Sound")}) {
        QDir(dir_.path()).mkpath(sub);
        const QDir from(demo.filePath(sub));
        for (const QString& name : from.entryList(QDir::Files)) {
            QFile::copy(from.filePath(name), file(sub + QLatin1Char('/') + name));
        }
    }
}

}  // namespace korvi::test

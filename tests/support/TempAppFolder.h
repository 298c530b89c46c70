// A throw-away application folder for tests that start the program: Setting.ini, draw-setting
// files and the bitmap folders, with KORVISENSOR_HOME, the temp folder and the user's settings
// store pointed at it so that runs never share files, the single-instance lock or a remembered
// port.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <initializer_list>

namespace korvi::test {

// A file's bytes, empty when it cannot be read.
QByteArray ReadFile(const QString& path);
// Writes a whole file, making its folder first; false when it cannot be written.
bool WriteFile(const QString& path, const QByteArray& bytes);

// The first line of a recording: "センサーNo.,圧力,X座標,Y座標" in Shift-JIS with its line end.
extern const QByteArray kRecordingHeader;

// A draw-setting file: its press colours (PressColor0 on), then the rest of its keys as written.
QByteArray DrawSettingFile(std::initializer_list<const char*> pressColors,
                           const QByteArray& rest =
                               "PressThresh=10\r\nTraceSize=20\r\n"
                               "[ExcelOut]\r\nSampling=0\r\nAllTime=10\r\n");

class TempAppFolder {
  public:
    TempAppFolder();
    ~TempAppFolder();

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    // A usable Setting.ini (BmpDir=Bmp, BaseDir=Base, both created) and DrawSetting1.ini (every
    // pressure red, radius 5).
    void writeDefaults() const;
    // The bundled demo folder's settings, footprints, base pictures and sounds.
    void copyDemo() const;
    // The bundled demo folder itself (in the source tree).
    static QString demoFolder();

  private:
    QTemporaryDir dir_;
    QByteArray savedHome_;
    QByteArray savedTmp_;
};

}  // namespace korvi::test

// Writes settings files for the settings tests into a temporary folder, as UTF-8 or as the
// Shift-JIS bytes a Windows editor saves.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "platform/TextCodec.h"

namespace korvi::test {

class IniTestFiles {
  public:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(bytes);
        }
        return path;
    }
    QString writeUtf8(const QString& name, const QString& text) {
        return write(name, text.toUtf8());
    }
    QString writeShiftJis(const QString& name, const QString& text) {
        return write(name, EncodeCp932(text));
    }
    QString missing(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
};

}  // namespace korvi::test

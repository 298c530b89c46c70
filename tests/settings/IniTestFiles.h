// A temporary folder for settings files, written as UTF-8 or as the Shift-JIS bytes a Windows
// editor saves.
#pragma once

#include <QFile>
#include <QTemporaryDir>

#include "platform/TextCodec.h"

namespace korvi::test {

struct IniTestFiles {
    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(bytes);
        }
        return file.fileName();
    }
    QString utf8(const QString& name, const QString& text) { return write(name, text.toUtf8()); }
    QString sjis(const QString& name, const QString& text) {
        return write(name, EncodeCp932(text));
    }
    QTemporaryDir dir;
};

}  // namespace korvi::test

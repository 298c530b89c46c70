// A temporary folder for settings files, written as UTF-8 or as the Shift-JIS bytes a Windows
// editor saves.
#pragma once

#include <QTemporaryDir>

#include "platform/TextCodec.h"
#include "tests/support/TempAppFolder.h"

namespace korvi::test {

struct IniTestFiles {
    QString write(const QString& name, const QByteArray& bytes) {
        WriteFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    QString utf8(const QString& name, const QString& text) { return write(name, text.toUtf8()); }
    QString sjis(const QString& name, const QString& text) {
        return write(name, EncodeCp932(text));
    }
    QTemporaryDir dir;
};

}  // namespace korvi::test

// The one place where text meets bytes in the 8-bit code page. Files in that code page are
// Shift-JIS (CP932), so settings written on Windows and CSV files opened in Japanese spreadsheet
// programs read correctly; settings files that are valid UTF-8 are read as UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

namespace korvi {

// Settings text: UTF-8 when the bytes are valid UTF-8 (a UTF-8 byte-order mark is dropped),
// otherwise CP932.
QString DecodeSettingsText(const QByteArray& bytes);
QString DecodeCp932(const QByteArray& bytes);
QByteArray EncodeCp932(const QString& text);

}  // namespace korvi

// One INI file parsed once, looked up with the rules of the Windows profile reader the settings
// files were written for: section and key names match without regard to case, a missing file,
// section or key gives the default, the value is the text after the first '=' without the blanks
// around it, and at most 255 bytes of it in the 8-bit code page are returned.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>

namespace korvi {

class MessageBoxes;

class IniFile {
  public:
    // Longest value returned, in bytes of the 8-bit code page (CP932).
    static constexpr int kMaxValueBytes = 255;

    IniFile() = default;
    // Reads and decodes the file (UTF-8 when valid, else CP932); a missing or unreadable file
    // gives an empty IniFile, in which every lookup gives its default.
    static IniFile Load(const QString& path);
    static IniFile Parse(const QByteArray& bytes);

    bool exists() const { return exists_; }

    // The value as the profile reader returns it, or nothing when the key is missing.
    std::optional<QString> find(const QString& section, const QString& key) const;
    // The value, or the empty string when the key is missing.
    QString GetString(const QString& section, const QString& key) const;
    // The leading decimal number of the value; `defaultValue` when the key is missing or empty,
    // 0 when the value starts without digits. A number outside the 16-bit range is reported in a
    // box titled "INIGetSettingInteger" and gives 0.
    int16_t GetInteger(const QString& section, const QString& key, int16_t defaultValue,
                       MessageBoxes& boxes) const;

  private:
    // Lower-cased section -> lower-cased key -> value (already trimmed and cut).
    QHash<QString, QHash<QString, QString>> sections_;
    bool exists_ = false;
};

// The value cut to at most `maxBytes` bytes of CP932, on a character boundary.
QString CutToCp932Bytes(const QString& value, int maxBytes);

}  // namespace korvi

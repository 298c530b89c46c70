// The two INI reading functions every settings reader goes through. Each call reads the file
// afresh; code that reads many keys of one file parses it once with IniFile instead.
#pragma once

#include <QString>
#include <cstdint>

namespace korvi {

class MessageBoxes;

// The value of `key` in `section` of `file` (a full path), or the empty string.
QString INIGetSettingString(const QString& section, const QString& key, const QString& file,
                            MessageBoxes& boxes);

// The leading decimal number of the value, or `defaultValue` when the key is missing. A number
// outside -32768..32767 is reported in a box titled with the function's name and gives 0.
int16_t INIGetSettingInteger(const QString& section, const QString& key, const QString& file,
                             int16_t defaultValue, MessageBoxes& boxes);

}  // namespace korvi

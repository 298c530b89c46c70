#include "settings/IniFileModule.h"

#include "settings/IniFile.h"

namespace korvi {

QString INIGetSettingString(const QString& section, const QString& key, const QString& file,
                            MessageBoxes&) {
    // Reading a value cannot fail once the file is decoded: a missing file is an empty one.
    return IniFile::Load(file).GetString(section, key);
}

int16_t INIGetSettingInteger(const QString& section, const QString& key, const QString& file,
                             int16_t defaultValue, MessageBoxes& boxes) {
    return IniFile::Load(file).GetInteger(section, key, defaultValue, boxes);
}

}  // namespace korvi

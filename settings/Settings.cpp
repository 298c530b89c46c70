#include "settings/Settings.h"

#include "settings/IniFile.h"
#include "settings/NumberText.h"

namespace korvi {

QString ReadSettingFile(const QString& file, Settings& settings, MessageBoxes& boxes) {
    const IniFile ini = IniFile::Load(file);
    const QString com = QStringLiteral("Com_Setting");
    const QString disp = QStringLiteral("Disp_Setting");

    settings.ComPort = QStringLiteral("COM") + ini.GetString(com, QStringLiteral("PortNo"));
    settings.ComSpeed = ini.GetString(com, QStringLiteral("Speed"));
    settings.ComParity = ini.GetString(com, QStringLiteral("Parity"));
    settings.ComDataLen = ini.GetString(com, QStringLiteral("DataLen"));
    settings.ComStopBit = ini.GetString(com, QStringLiteral("StopBit"));
    settings.Device = ini.GetString(com, QStringLiteral("Device"));

    settings.BmpDir = ini.GetString(disp, QStringLiteral("BmpDir"));
    settings.BaseDir = ini.GetString(disp, QStringLiteral("BaseDir"));
    settings.MergeMode = ini.GetInteger(disp, QStringLiteral("MergeMode"), 0, boxes) != 0;

    // Without a usable base colour the base plate has no defined background: refuse the file
    // rather than guess a colour. A missing file is named as such, which says more than the key.
    if (!ini.exists()) {
        return QStringLiteral("設定ファイル %1 が見つかりません。").arg(file);
    }
    const QString baseColorText = ini.GetString(disp, QStringLiteral("BaseColor"));
    if (baseColorText.isEmpty()) {
        return QStringLiteral("設定ファイル %1 の BaseColor がありません。").arg(file);
    }
    const auto baseColor = TextToLong(baseColorText);
    if (!baseColor) {
        return QStringLiteral("設定ファイル %1 の BaseColor が数値ではありません。").arg(file);
    }
    settings.BaseColor = *baseColor;
    return {};
}

}  // namespace korvi

// The INI reader on any bytes: every key the file names can be looked up in any letter case with
// the same result, values stay within the profile reader's 255 bytes, and integer lookups never
// fail in a way other than their documented report.
#include <QStringView>

#include "fuzz/FuzzSupport.h"
#include "platform/TextCodec.h"
#include "settings/IniFile.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::Bytes(data, size);
    const IniFile ini = IniFile::Parse(bytes);
    fuzz::CountingBoxes boxes;

    // The section and key names the text itself uses, plus the program's own.
    QString section = QStringLiteral("Disp_Setting");
    QStringList keys = {QStringLiteral("PressColor0"), QStringLiteral("TraceSize"),
                        QStringLiteral("BmpDir")};
    const QString text = DecodeSettingsText(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.contains(u']')) {
            section = trimmed.mid(1, trimmed.indexOf(u']') - 1).toString();
        } else if (trimmed.indexOf(u'=') > 0) {
            keys << trimmed.left(trimmed.indexOf(u'=')).toString();
        }
        if (keys.size() > 8) {
            break;
        }
    }
    for (const QString& key : keys) {
        const std::optional<QString> value = ini.find(section, key);
        // Only names whose case changes back and forth cleanly ("ß" becomes "SS", not back).
        if (section.toUpper().toLower() == section.toLower() &&
            key.toLower().toUpper().toLower() == key.toLower()) {
            fuzz::Expect(ini.find(section.toUpper(), key.toLower()) == value,
                         "names match without regard to case");
        }
        if (value) {
            fuzz::Expect(EncodeCp932(*value).size() <= IniFile::kMaxValueBytes,
                         "values are cut to 255 bytes");
        }
        const int before = boxes.shown;
        ini.GetInteger(section, key, 7, boxes);
        fuzz::Expect(boxes.shown - before <= 1, "at most one report per lookup");
    }
    return 0;
}

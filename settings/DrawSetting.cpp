#include "settings/DrawSetting.h"

#include "platform/Units.h"
#include "settings/IniFile.h"
#include "settings/NumberText.h"

namespace korvi {

namespace {

const QString kDisp = QStringLiteral("Disp_Setting");
const QString kExcelOut = QStringLiteral("ExcelOut");

// Conversions of a field that is not a number give 0 here; CheckDrawSetting refuses such files
// before communication starts, so these zeros never reach the display.
int16_t HexField(const QString& value, int n) {
    return HexToInteger(GetCsvField(value, n)).value_or(0);
}

int16_t IntegerField(const QString& value, int n) {
    return TextToInteger(GetCsvField(value, n)).value_or(0);
}

Range16 RangeField(const QString& value, int n, bool hex) {
    return TextToRange(GetCsvField(value, n), hex).value_or(Range16{});
}

PressColorEntry ParsePressColor(const QString& value) {
    PressColorEntry entry;
    entry.PressLow = HexField(value, 1);
    entry.PressHigh = HexField(value, 2);
    entry.Color = TextToLong(GetCsvField(value, 3)).value_or(0);
    entry.Radius = IntegerField(value, 4);
    return entry;
}

void ApplyPlayCondition(const QString& value, SoundEntry& entry) {
    const Range16 prev = RangeField(value, 1, false);
    const Range16 sensor = RangeField(value, 2, false);
    const Range16 x = RangeField(value, 3, true);
    const Range16 y = RangeField(value, 4, true);
    const Range16 press = RangeField(value, 5, true);
    entry.PrevLow = prev.low;
    entry.PrevHigh = prev.high;
    entry.SensorLow = sensor.low;
    entry.SensorHigh = sensor.high;
    entry.XLow = x.low;
    entry.XHigh = x.high;
    entry.YLow = y.low;
    entry.YHigh = y.high;
    entry.PressLow = press.low;
    entry.PressHigh = press.high;
    entry.Period = IntegerField(value, 6);
    entry.MinCount = IntegerField(value, 7);
}

}  // namespace

QString GetCsvField(const QString& text, int n) {
    if (n < 1) {
        return {};
    }
    // No quoting and no trimming: "a,,c" has an empty second field.
    int field = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == QLatin1Char(',')) {
            if (field == n) {
                return text.mid(start, i - start);
            }
            ++field;
            start = i + 1;
        }
    }
    return {};
}

void LoadDrawSetting(const QString& path, DrawSetting& setting, MessageBoxes& boxes) {
    const IniFile ini = IniFile::Load(path);

    // Numbered lists end at their first gap. The table is resized entry by entry, so a file with
    // no entries at all leaves the previous table in place.
    for (int i = 0;; ++i) {
        const QString value = ini.GetString(kDisp, QStringLiteral("PressColor%1").arg(i));
        if (value.isEmpty()) {
            break;
        }
        setting.PressColorTable.resize(static_cast<size_t>(i) + 1);
        setting.PressColorTable[static_cast<size_t>(i)] = ParsePressColor(value);
    }

    setting.PressThresh =
        TextToInteger(ini.GetString(kDisp, QStringLiteral("PressThresh"))).value_or(0);
    setting.TraceSize = ini.GetInteger(kDisp, QStringLiteral("TraceSize"), 0, boxes);

    setting.Sampling = ini.GetInteger(kExcelOut, QStringLiteral("Sampling"), 0, boxes);
    // 0 means one row per reading, which keeps whatever interval the timer had; a negative rate
    // has no interval at all.
    if (setting.Sampling > 0) {
        setting.CsvIntervalMs = RoundEven32(1000.0 / setting.Sampling);
    }
    setting.AllTime = ini.GetInteger(kExcelOut, QStringLiteral("AllTime"), 0, boxes);

    // Sounds start at 1; entry 0 stays empty. An entry kept from the previous file keeps its
    // conditions when this file gives none for it.
    setting.HasSoundFiles = false;
    for (int n = 1;; ++n) {
        const QString file = ini.GetString(kDisp, QStringLiteral("SoundFile%1").arg(n));
        if (file.isEmpty()) {
            break;
        }
        setting.SoundTable.resize(static_cast<size_t>(n) + 1);
        SoundEntry& entry = setting.SoundTable[static_cast<size_t>(n)];
        entry.FileName = file;
        entry.HitCount = 0;
        entry.Ticks = 0;
        setting.HasSoundFiles = true;
        const QString condition = ini.GetString(kDisp, QStringLiteral("PlayCondition%1").arg(n));
        if (!condition.isEmpty()) {
            ApplyPlayCondition(condition, entry);
        }
    }
}

}  // namespace korvi

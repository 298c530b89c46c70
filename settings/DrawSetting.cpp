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
DrawFieldValue Field(const QString& value, int n, DrawFieldKind kind) {
    return ReadDrawField(value, n, kind).value_or(DrawFieldValue{});
}

int16_t Low16(const QString& value, int n, DrawFieldKind kind) {
    return static_cast<int16_t>(Field(value, n, kind).low);
}

PressColorEntry ParsePressColor(const QString& value) {
    PressColorEntry entry;
    entry.PressLow = Low16(value, 1, DrawFieldKind::Hex);
    entry.PressHigh = Low16(value, 2, DrawFieldKind::Hex);
    entry.Color = Field(value, 3, DrawFieldKind::Color).low;
    entry.Radius = Low16(value, 4, DrawFieldKind::Decimal);
    return entry;
}

void ApplyPlayCondition(const QString& value, SoundEntry& entry) {
    const auto range = [&value](int n, DrawFieldKind kind, int16_t& low, int16_t& high) {
        const DrawFieldValue v = Field(value, n, kind);
        low = static_cast<int16_t>(v.low);
        high = static_cast<int16_t>(v.high);
    };
    range(1, DrawFieldKind::DecimalRange, entry.PrevLow, entry.PrevHigh);
    range(2, DrawFieldKind::DecimalRange, entry.SensorLow, entry.SensorHigh);
    range(3, DrawFieldKind::HexRange, entry.XLow, entry.XHigh);
    range(4, DrawFieldKind::HexRange, entry.YLow, entry.YHigh);
    range(5, DrawFieldKind::HexRange, entry.PressLow, entry.PressHigh);
    entry.Period = Low16(value, 6, DrawFieldKind::Decimal);
    entry.MinCount = Low16(value, 7, DrawFieldKind::Decimal);
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

QString DrawFieldText(const QString& value, int n) {
    // QString::trimmed() takes every Unicode blank, U+3000 and U+00A0 included.
    return GetCsvField(value, n).trimmed();
}

std::optional<DrawFieldValue> ReadDrawField(const QString& value, int n, DrawFieldKind kind) {
    const QString field = DrawFieldText(value, n);
    const auto single = [](std::optional<int32_t> v) -> std::optional<DrawFieldValue> {
        if (!v) {
            return std::nullopt;
        }
        return DrawFieldValue{*v, *v};
    };
    const auto range = [](std::optional<Range16> r) -> std::optional<DrawFieldValue> {
        if (!r) {
            return std::nullopt;
        }
        return DrawFieldValue{r->low, r->high};
    };
    switch (kind) {
        case DrawFieldKind::Hex:
            return single(HexToInteger(field));
        case DrawFieldKind::HexRange:
            return range(TextToRange(field, true));
        case DrawFieldKind::Decimal: {
            const auto number = DecimalToInteger(field);
            return number && *number >= 0 ? single(*number) : std::nullopt;
        }
        case DrawFieldKind::DecimalRange:
            return range(TextToRange(field, false));
        case DrawFieldKind::Color:
            return single(TextToLong(field));
    }
    return std::nullopt;
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

// Draw-setting files (DrawSetting1.ini, ...): the colour table by pressure, the threshold, the
// trace length, the CSV timing and the sound rules.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvi {

class MessageBoxes;

struct PressColorEntry {
    int16_t PressLow = 0;
    int16_t PressHigh = 0;
    int32_t Color = 0;  // 0x00BBGGRR
    int16_t Radius = 0;
};

struct SoundEntry {
    int16_t PrevLow = 0;
    int16_t PrevHigh = 0;
    int16_t SensorLow = 0;
    int16_t SensorHigh = 0;
    int16_t XLow = 0;
    int16_t XHigh = 0;
    int16_t YLow = 0;
    int16_t YHigh = 0;
    int16_t PressLow = 0;
    int16_t PressHigh = 0;
    int16_t Period = 0;
    int16_t MinCount = 0;
    int16_t HitCount = 0;
    int32_t Ticks = 0;
    QString FileName;  // as written in the file
};

struct DrawSetting {
    std::vector<PressColorEntry> PressColorTable;  // from index 0
    int16_t PressThresh = 0;
    int16_t TraceSize = 0;
    int16_t Sampling = 0;
    int16_t AllTime = 0;
    std::vector<SoundEntry> SoundTable;  // entries from index 1; index 0 stays empty
    bool HasSoundFiles = false;
    // Interval of the CSV sampling timer in ms; only changed when Sampling is not 0.
    int CsvIntervalMs = 0;
};

// The largest press-mark radius in pixels. A mark is drawn from a picture of its circle, so the
// radius bounds the memory and the time of every mark; a mark 2049 pixels across is already
// wider than a full-HD screen, and nothing larger could be shown whole.
inline constexpr int kMaxMarkRadius = 1024;

// The n-th comma-separated field (from 1); empty when there is none.
QString GetCsvField(const QString& text, int n);

// How a field of a PressColor or PlayCondition entry is written.
enum class DrawFieldKind {
    Hex,           // hexadecimal digits without a prefix
    HexRange,      // "low-high" or one value, hexadecimal digits
    Decimal,       // decimal digits, 0 or more
    DecimalRange,  // "low-high" or one value, decimal digits
    Color,         // decimal or "&H" hexadecimal, 32 bits
};

struct DrawFieldValue {
    int32_t low = 0;
    int32_t high = 0;  // equal to low for a single value
};

// The n-th field of a list entry as both the check and the loader read it: blanks around it, ASCII
// or not (a full-width space typed with a Japanese input method, a no-break space), are not part
// of it.
QString DrawFieldText(const QString& value, int n);
// That field converted as its kind is written; nothing when it does not convert.
std::optional<DrawFieldValue> ReadDrawField(const QString& value, int n, DrawFieldKind kind);

// Reads one draw-setting file into `setting` (tables resized only when their list is not empty).
void LoadDrawSetting(const QString& path, DrawSetting& setting, MessageBoxes& boxes);

// Checks a draw-setting file before communication starts: empty when the display can work with
// it, otherwise a message for the user naming the file and the key at fault.
QString CheckDrawSetting(const QString& path, MessageBoxes& boxes);

}  // namespace korvi

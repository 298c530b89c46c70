#include "display/PressLookup.h"

namespace korvi {

namespace {

const PressColorEntry* FindBand(const std::vector<PressColorEntry>& table, int16_t pressure) {
    for (const PressColorEntry& entry : table) {
        if (entry.PressLow <= pressure && pressure <= entry.PressHigh) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

uint32_t GetPressColor(const std::vector<PressColorEntry>& table, int16_t pressure) {
    const PressColorEntry* band = FindBand(table, pressure);
    return band != nullptr ? static_cast<uint32_t>(band->Color) : 0u;
}

int16_t GetPressRadius(const std::vector<PressColorEntry>& table, int16_t pressure) {
    const PressColorEntry* band = FindBand(table, pressure);
    return band != nullptr ? band->Radius : int16_t{0};
}

int PressImageNumber(int16_t pressure) {
    if (pressure < 1 || pressure > 255) {
        return 0;
    }
    return pressure / 16 + 1;
}

MarkLook LookOfPress(const std::vector<PressColorEntry>& table, int16_t pressure,
                     uint32_t backColor) {
    if (pressure < 1) {
        return {backColor, 0};
    }
    return {GetPressColor(table, pressure), GetPressRadius(table, pressure)};
}

}  // namespace korvi

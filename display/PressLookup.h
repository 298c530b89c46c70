// How a pressure looks on screen: the colour and radius of a dot mark from the draw setting's
// colour table, and the number of the footprint picture for bitmap marks.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/DrawSetting.h"

namespace korvi {

class Footprints;

inline constexpr int PressImageCount = 16;

// What the press rules have set for drawing marks, which the frame renderer follows: the draw
// setting in force (colours, radii, the flood threshold), the display mode and its footprints.
struct MarkStyle {
    const DrawSetting& setting;
    const Footprints& footprints;
    bool bmpMode = false;
};

// The first band (lowest index first) whose range holds the pressure decides; a pressure no band
// covers, or an empty table, gives black and radius 0.
uint32_t GetPressColor(const std::vector<PressColorEntry>& table, int16_t pressure);
int16_t GetPressRadius(const std::vector<PressColorEntry>& table, int16_t pressure);

// Footprint picture for a pressure, numbered from 1: 1..15 give 1, 16..31 give 2, ..., 240..255
// give 16. 0 for a pressure that shows no picture (0 or below, or above 255).
int PressImageNumber(int16_t pressure);

// Footprints are 32 x 32 pictures centred on the mark.
inline constexpr double FootprintOffset = 16.0;

// A dot mark's colour and radius on a panel whose background is `backColor`: a pressure of 1 or
// more takes its band's, anything less the background's colour and radius 0.
struct MarkLook {
    uint32_t color = 0;
    int32_t radius = 0;
};
MarkLook LookOfPress(const std::vector<PressColorEntry>& table, int16_t pressure,
                     uint32_t backColor);

}  // namespace korvi

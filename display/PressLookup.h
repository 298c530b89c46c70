// How a pressure looks on screen: the colour and radius of a dot mark from the draw setting's
// colour table, and the number of the footprint picture for bitmap marks.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/DrawSetting.h"

namespace korvi {

inline constexpr int PressImageCount = 16;

// The first band (lowest index first) whose range holds the pressure decides; a pressure no band
// covers, or an empty table, gives black and radius 0.
uint32_t GetPressColor(const std::vector<PressColorEntry>& table, int16_t pressure);
int16_t GetPressRadius(const std::vector<PressColorEntry>& table, int16_t pressure);

// Footprint picture for a pressure, numbered from 1: 1..15 give 1, 16..31 give 2, ..., 240..255
// give 16. 0 for a pressure that shows no picture (0 or below, or above 255).
int PressImageNumber(int16_t pressure);

}  // namespace korvi

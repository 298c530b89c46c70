// Colours are kept as 0x00BBGGRR values, as settings files and layout files store them; they are
// converted to Qt colours only at the edge. Values with the top bit set name system colours.
#pragma once

#include <QColor>
#include <cstdint>

namespace korvi {

inline constexpr uint32_t kWhite = 0xFFFFFF;
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kRed = 0x0000FF;
inline constexpr uint32_t kYellow = 0x00FFFF;
inline constexpr uint32_t kSysButtonFace = 0x8000000F;
inline constexpr uint32_t kSysActiveTitleBar = 0x80000002;

QColor ToQColor(uint32_t bgr);
uint32_t FromQColor(const QColor& color);

}  // namespace korvi

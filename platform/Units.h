// Units and rounding shared by every drawing and layout routine: twips, pixels and the
// round-half-to-even conversion that every floating-point to integer step uses.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace korvi {

// 1440 twips per inch at 96 logical pixels per inch.
inline constexpr double kTwipsPerPixel = 15.0;

inline double PixelsToTwips(double pixels) {
    return pixels * kTwipsPerPixel;
}
inline double TwipsToPixels(double twips) {
    return twips / kTwipsPerPixel;
}

// Nearest integer, ties to the even neighbour (2.5 -> 2, 3.5 -> 4), saturated to the target type
// so that an absurd value can never be undefined behaviour.
template <typename Int>
Int RoundEven(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double r = std::nearbyint(value);
    if (r <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (r >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(r);
}

inline int32_t RoundEven32(double value) {
    return RoundEven<int32_t>(value);
}
inline int16_t RoundEven16(double value) {
    return RoundEven<int16_t>(value);
}

}  // namespace korvi

// The rotation of a placed sensor: a quarter turn per command, and the form in which rotations
// read from a layout file are accepted.
#pragma once

#include <cstdint>
#include <optional>

namespace korvi {

// (rotation + 90) mod 360, the remainder taking the sign of the dividend; the sum is formed in 32
// bits so that no value of a 16-bit rotation overflows.
int16_t NextRotation(int16_t rotation);

// A stored rotation as the display understands it: a multiple of 90 brought into 0..270
// (-90 gives 270, 450 gives 90); nothing for a value that is not a multiple of 90.
std::optional<int16_t> NormalisedRotation(int32_t rotation);

}  // namespace korvi

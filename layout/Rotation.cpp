#include "layout/Rotation.h"

namespace korvi {

int16_t NextRotation(int16_t rotation) {
    return static_cast<int16_t>((static_cast<int32_t>(rotation) + 90) % 360);
}

std::optional<int16_t> NormalisedRotation(int32_t rotation) {
    if (rotation % 90 != 0) {
        return std::nullopt;
    }
    return static_cast<int16_t>(((rotation % 360) + 360) % 360);
}

}  // namespace korvi

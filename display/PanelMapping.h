// Where a reading lands: the raw 12-bit position mapped through a panel's rotation to a pixel of
// the panel, and a panel pixel carried over to the base plate in twips.
#pragma once

#include <cstdint>

namespace korvi {

class Control;

// Full scale of the controller's X and Y.
inline constexpr double RawFullScale = 4095.0;

struct PanelPoint {
    int16_t x = 0;
    int16_t y = 0;
};

// Rotation 0 (and any value other than 90, 180, 270) puts the raw origin at the bottom-left
// corner, 90 at the bottom-right, 180 at the top-right, 270 at the top-left. The scale factor is
// taken first and the result rounded half to even, so marks land on the same pixels as the
// controller's reference display.
PanelPoint MapToPanel(int16_t rotation, int16_t x, int16_t y, double width, double height);

struct BasePoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Position on the base plate (twips, relative to the plate) of pixel (mx, my) of a panel; the
// panel's and the plate's Left and Top are window twips.
BasePoint BasePosition(const Control& panel, double mx, double my, const Control& plate);

// True when the point lies on the plate, edges included.
bool IsOnPlate(BasePoint point, const Control& plate);

}  // namespace korvi

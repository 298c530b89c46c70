#include "display/PanelMapping.h"

#include "platform/Control.h"
#include "platform/Units.h"

namespace korvi {

PanelPoint MapToPanel(int16_t rotation, int16_t x, int16_t y, double width, double height) {
    const double fx = width / RawFullScale;
    const double fy = height / RawFullScale;
    double px = 0;
    double py = 0;
    switch (rotation) {
        case 90:
            px = width - y * fx;
            py = height - x * fy;
            break;
        case 180:
            px = width - x * fx;
            py = y * fy;
            break;
        case 270:
            px = y * fx;
            py = x * fy;
            break;
        default:
            px = x * fx;
            py = height - y * fy;
            break;
    }
    return {RoundEven16(px), RoundEven16(py)};
}

BasePoint BasePosition(const Control& panel, double mx, double my, const Control& plate) {
    const double bx = static_cast<double>(panel.Left()) + PixelsToTwips(mx) - plate.Left();
    const double by = static_cast<double>(panel.Top()) + PixelsToTwips(my) - plate.Top();
    return {RoundEven32(bx), RoundEven32(by)};
}

bool IsOnPlate(BasePoint point, const Control& plate) {
    return point.x >= 0 && point.y >= 0 && point.x <= plate.Width() && point.y <= plate.Height();
}

}  // namespace korvi

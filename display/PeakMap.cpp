#include "display/PeakMap.h"

#include <algorithm>

#include "platform/Canvas.h"

namespace korvi {

void PeakMap::Clear() {
    for (Levels& levels : panels_) {
        std::fill(levels.pressure.begin(), levels.pressure.end(), uint8_t{0});
    }
}

void PeakMap::Add(int panel, Canvas& canvas, const Stamp& dot, int x, int y, int16_t pressure) {
    if (panel < 0 || panel >= SensorCount || pressure <= 0) {
        return;
    }
    Levels& levels = panels_[static_cast<size_t>(panel)];
    if (levels.clears != canvas.clears() || levels.width != canvas.pixelWidth() ||
        levels.height != canvas.pixelHeight()) {
        levels.clears = canvas.clears();
        levels.width = canvas.pixelWidth();
        levels.height = canvas.pixelHeight();
        levels.pressure.assign(static_cast<size_t>(levels.width) * levels.height, 0);
    }
    canvas.stampAbove(dot, x, y, levels.pressure,
                      static_cast<uint8_t>(std::min<int>(pressure, 255)));
}

}  // namespace korvi

// The circles of dot marks as stamps. Drawing a circle with a painter costs far more than
// copying its pixels, and a frame of the trace may draw thousands of marks in a handful of
// colours and radii: each distinct circle is drawn once on a transparent picture, as a panel
// would draw it, and copied from then on. Shared by the press rules drawing a reading in full and
// the frame renderer, so that both put the very same pixels down.
#pragma once

#include <cstdint>
#include <map>

#include "platform/Canvas.h"

namespace korvi {

class CircleStamps {
  public:
    // Everything that decides a circle's pixels.
    struct Key {
        int32_t radius;
        uint32_t color;
        uint32_t fill;
        bool solid;
        int drawWidth;
        auto operator<=>(const Key&) const = default;
    };
    // The circle centred on the stamp's middle pixel (width / 2).
    const Stamp& For(const Key& key);
    // A mark's circle with the canvas's fill and pen width, centred on the nearest whole pixel to
    // (x, y), in pixels.
    void Draw(Canvas& canvas, double x, double y, int32_t radius, uint32_t color);

  private:
    std::map<Key, Stamp> stamps_;
};

}  // namespace korvi

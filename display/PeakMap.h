// The peak map: every panel shows, for each position pressed since the last clear, the highest
// pressure seen there, as that pressure's dot in the draw setting's band colour and radius. A dot
// covers a pixel only where no higher pressure's dot lies already, so overlapping presses show the
// strongest one whatever order they came in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "layout/SensorLayout.h"

namespace korvi {

class Canvas;
class Stamp;

class PeakMap {
  public:
    // Forgets every panel's peaks (the panels are cleared with it).
    void Clear();
    // Stamps `dot` with its top-left corner at pixel (x, y) of panel `panel`'s drawing, where
    // it lies above the pressures seen there so far. A panel whose drawing was cleared or changed
    // size since (the layout editor clears a frame it moves or merges) starts again.
    void Add(int panel, Canvas& canvas, const Stamp& dot, int x, int y, int16_t pressure);

  private:
    struct Levels {
        uint64_t clears = 0;  // the drawing's clear count the levels stand for
        int width = 0;
        int height = 0;
        std::vector<uint8_t> pressure;  // the highest pressure per pixel, row by row
    };
    std::array<Levels, SensorCount> panels_{};
};

}  // namespace korvi

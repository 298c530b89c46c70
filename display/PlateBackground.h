// The base plate's background: the plate cleared and painted with its picture and the frames of
// the visible panels, before any mark. Painting it means scaling the picture over the whole plate,
// which costs more than everything else in a frame; the dot plate repaints it for every frame and
// the trace scene puts back the tiles of marks that left the trace. So it is painted once, kept,
// and copied back until something that decides it changes (the plate, its picture and colours,
// the panels shown and where they stand).
#pragma once

#include <QImage>
#include <array>
#include <cstdint>

#include "layout/SensorLayout.h"

namespace korvi {

class PlateBackground {
  public:
    // Everything that decides the plate's picture before marks.
    struct Key {
        qint64 picture = 0;
        int pixelWidth = 0;
        int pixelHeight = 0;
        std::array<float, 4> plate{};
        uint32_t backColor = 0;
        int drawWidth = 0;
        bool frames = false;
        bool picturePainted = false;
        uint32_t visible = 0;
        std::array<std::array<float, 4>, SensorCount> panels{};
        bool operator==(const Key&) const = default;
    };
    // The key of the layout as it stands; `visiblePanels` holds bit i for each panel shown.
    static Key KeyOf(const SensorLayout& layout, uint32_t visiblePanels, bool picturePainted);

    // Clears the plate and paints its picture (with `picturePainted` once more, as the dot
    // repaint does) and the frames, or copies the kept result back when the key is unchanged.
    void Paint(SensorLayout& layout, uint32_t visiblePanels, bool picturePainted);
    // The background last painted (null before the first).
    const QImage& Image() const { return image_; }

  private:
    Key key_{};
    QImage image_;
};

}  // namespace korvi

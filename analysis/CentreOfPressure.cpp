#include "analysis/CentreOfPressure.h"

#include "layout/SensorLayout.h"
#include "platform/Units.h"

namespace korvi {

std::optional<WindowPoint> MarkInWindow(const SensorLayout& layout, int sensor) {
    const PressMark& mark = layout.LastPress[static_cast<size_t>(sensor)];
    const int shownOn = layout.SensorMerged[static_cast<size_t>(sensor)] ? 0 : sensor;
    const PictureBox& panel = *layout.picPressSens[static_cast<size_t>(shownOn)];
    if (mark.MarkPress < 1 || !panel.Visible()) {
        return std::nullopt;
    }
    return WindowPoint{panel.Left() + PixelsToTwips(mark.MarkX),
                       panel.Top() + PixelsToTwips(mark.MarkY)};
}

std::optional<WindowPoint> LayoutCentre(const SensorLayout& layout) {
    double weight = 0;
    double x = 0;
    double y = 0;
    for (int k = 0; k < SensorCount; ++k) {
        const std::optional<WindowPoint> place = MarkInWindow(layout, k);
        if (!place) {
            continue;
        }
        const double w = layout.LastPress[static_cast<size_t>(k)].MarkPress;
        weight += w;
        x += w * place->x;
        y += w * place->y;
    }
    if (weight <= 0) {
        return std::nullopt;
    }
    return WindowPoint{x / weight, y / weight};
}

void CentrePath::Add(uint32_t nowMs, std::optional<WindowPoint> centre) {
    ring_[static_cast<size_t>(next_)] =
        Entry{nowMs, centre.value_or(WindowPoint{}), centre.has_value()};
    next_ = (next_ + 1) % kCapacity;
    if (count_ < kCapacity) {
        ++count_;
    }
}

}  // namespace korvi

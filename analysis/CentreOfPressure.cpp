#include "analysis/CentreOfPressure.h"

#include "layout/SensorLayout.h"
#include "platform/Units.h"

namespace korvi {

std::optional<WindowPoint> LayoutCentre(const SensorLayout& layout) {
    double weight = 0;
    double x = 0;
    double y = 0;
    for (int k = 0; k < SensorCount; ++k) {
        const PressMark& mark = layout.LastPress[static_cast<size_t>(k)];
        const int shownOn = layout.SensorMerged[static_cast<size_t>(k)] ? 0 : k;
        const PictureBox& panel = *layout.picPressSens[static_cast<size_t>(shownOn)];
        if (mark.MarkPress < 1 || !panel.Visible()) {
            continue;
        }
        const double w = mark.MarkPress;
        weight += w;
        x += w * (panel.Left() + PixelsToTwips(mark.MarkX));
        y += w * (panel.Top() + PixelsToTwips(mark.MarkY));
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

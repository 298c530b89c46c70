// The whole layout's centre of pressure now, and its path over the last seconds. Each sensor's
// latest mark (as the display stored it: mapped through its frame's size and rotation) is carried
// into window coordinates the way marks are carried onto the base plate, and the marks still
// pressed are averaged, weighted by their pressure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace korvi {

class SensorLayout;

// A point in the window's client coordinates, twips.
struct WindowPoint {
    double x = 0;
    double y = 0;
    bool operator==(const WindowPoint&) const = default;
};

// Where sensor `sensor`'s latest mark lies in the window: its frame's place plus the mark's pixel
// in it (a merged sensor's mark lies on the frame of sensor 1, which shows it). Nothing while the
// sensor is not pressed (its latest pressure below 1) or the frame that shows it is hidden.
std::optional<WindowPoint> MarkInWindow(const SensorLayout& layout, int sensor);

// Nothing while no shown sensor is pressed. A merged sensor's mark lies on the frame of sensor 1,
// which shows it.
std::optional<WindowPoint> LayoutCentre(const SensorLayout& layout);

// The centre's recent places, one per display frame, in a ring of fixed size (no allocation once
// made): what the plate's path shows.
class CentrePath {
  public:
    static constexpr int kCapacity = 4096;  // a minute at about 60 frames a second

    void Clear() { count_ = 0; }
    // A frame without a centre (nothing pressed) breaks the path there.
    void Add(uint32_t nowMs, std::optional<WindowPoint> centre);
    // The places of the last `windowMs` milliseconds, oldest first; `visit(point, joined)` with
    // joined false where the path was broken before the point.
    template <typename Visit>
    void ForEachSince(uint32_t nowMs, uint32_t windowMs, Visit visit) const {
        bool joined = false;
        for (int n = 0; n < count_; ++n) {
            const Entry& e =
                ring_[static_cast<size_t>((next_ - count_ + n + kCapacity) % kCapacity)];
            if (static_cast<uint32_t>(nowMs - e.ms) > windowMs || !e.valid) {
                joined = false;
                continue;
            }
            visit(e.point, joined);
            joined = true;
        }
    }

    // Every place kept, oldest first: `visit(ms, point, valid)`, valid false where nothing was
    // pressed.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (int n = 0; n < count_; ++n) {
            const Entry& e =
                ring_[static_cast<size_t>((next_ - count_ + n + kCapacity) % kCapacity)];
            visit(e.ms, e.point, e.valid);
        }
    }

  private:
    struct Entry {
        uint32_t ms = 0;
        WindowPoint point;
        bool valid = false;
    };
    std::array<Entry, kCapacity> ring_{};
    int next_ = 0;
    int count_ = 0;
};

}  // namespace korvi

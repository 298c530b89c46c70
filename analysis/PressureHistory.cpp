#include "analysis/PressureHistory.h"

#include <algorithm>

namespace korvi {

PressureHistory::PressureHistory() : slots_(kSensors) {}

void PressureHistory::Clear() {
    ++clears_;
    for (auto& ring : slots_) {
        ring.fill(Slot{});
    }
}

void PressureHistory::Add(int sensor, int pressure, uint32_t nowMs) {
    if (sensor < 0 || sensor >= kSensors) {
        return;
    }
    const uint32_t bucket = nowMs / kBucketMs;
    Slot& slot = slots_[static_cast<size_t>(sensor)][bucket % kBuckets];
    if (slot.pressure < 0 || slot.bucket != bucket) {
        slot = Slot{bucket, static_cast<int16_t>(pressure)};
    } else {
        slot.pressure = static_cast<int16_t>(std::max<int>(slot.pressure, pressure));
    }
}

std::vector<int> PressureHistory::Samples(int sensor, uint32_t nowMs, uint32_t spanMs) const {
    const int count = static_cast<int>(std::min<uint32_t>(spanMs / kBucketMs, kBuckets));
    std::vector<int> out(static_cast<size_t>(count), 0);
    if (sensor < 0 || sensor >= kSensors || count == 0) {
        return out;
    }
    const auto& ring = slots_[static_cast<size_t>(sensor)];
    const uint32_t last = nowMs / kBucketMs;
    // The pressure in force as the span begins: the newest reading kept before it.
    int held = 0;
    uint32_t heldAge = UINT32_MAX;
    const uint32_t first = last - static_cast<uint32_t>(count) + 1;
    for (const Slot& slot : ring) {
        const uint32_t age = first - slot.bucket;  // unsigned: wraps with the clock
        if (slot.pressure >= 0 && age >= 1 && age < static_cast<uint32_t>(kBuckets) &&
            age < heldAge) {
            held = slot.pressure;
            heldAge = age;
        }
    }
    for (int n = 0; n < count; ++n) {
        const uint32_t bucket = first + static_cast<uint32_t>(n);
        const Slot& slot = ring[bucket % kBuckets];
        if (slot.pressure >= 0 && slot.bucket == bucket) {
            held = slot.pressure;
        }
        out[static_cast<size_t>(n)] = held;
    }
    return out;
}

}  // namespace korvi

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
    std::vector<int> out;
    Samples(sensor, nowMs, spanMs, out);
    return out;
}

void PressureHistory::Samples(int sensor, uint32_t nowMs, uint32_t spanMs,
                              std::vector<int>& out) const {
    const int count = static_cast<int>(std::min<uint32_t>(spanMs / kBucketMs, kBuckets));
    out.assign(static_cast<size_t>(count), 0);
    if (sensor < 0 || sensor >= kSensors || count == 0) {
        return;
    }
    const auto& ring = slots_[static_cast<size_t>(sensor)];
    const uint32_t last = nowMs / kBucketMs;
    const uint32_t first =
        last - static_cast<uint32_t>(count) + 1;  // unsigned: wraps with the clock
    // The pressure in force as the span begins: the newest reading kept before it, looked for
    // backwards from the span's start (one step while readings keep coming).
    int held = 0;
    for (uint32_t age = 1; age < static_cast<uint32_t>(kBuckets); ++age) {
        const uint32_t bucket = first - age;
        const Slot& slot = ring[bucket % kBuckets];
        if (slot.pressure >= 0 && slot.bucket == bucket) {
            held = slot.pressure;
            break;
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
}

}  // namespace korvi

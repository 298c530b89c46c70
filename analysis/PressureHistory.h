// Each sensor's pressure over the last minute, for the statistics window's chart: the highest
// pressure of every 10 ms, kept in a fixed ring per sensor (no allocation after it is made), so a
// reading costs a division and a store however fast readings come.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korvi {

class PressureHistory {
  public:
    static constexpr int kSensors = 16;
    static constexpr uint32_t kBucketMs = 10;
    static constexpr int kBuckets = 6000;  // 60 s

    PressureHistory();
    void Clear();
    // Counts the clears: whoever keeps a drawing of the history knows when to draw it anew.
    uint64_t Clears() const { return clears_; }
    void Add(int sensor, int pressure, uint32_t nowMs);
    // The sensor's pressure in each 10 ms of the last `spanMs` up to `nowMs`, oldest first: the
    // highest reading of that time, or where none came, the pressure last read before it (0
    // before the first reading or beyond the kept minute).
    std::vector<int> Samples(int sensor, uint32_t nowMs, uint32_t spanMs) const;
    // The same into `out`, which keeps its storage from call to call (the chart asks 30 times a
    // second for every sensor ticked).
    void Samples(int sensor, uint32_t nowMs, uint32_t spanMs, std::vector<int>& out) const;

  private:
    struct Slot {
        uint32_t bucket = 0;  // nowMs / kBucketMs of the reading kept here
        int16_t pressure = -1;
    };
    std::vector<std::array<Slot, kBuckets>> slots_;
    uint64_t clears_ = 0;
};

}  // namespace korvi

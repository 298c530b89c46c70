// Keeps beeps audible at any reading rate: at most one tone starts per tone length, and the tone
// that starts is the newest reading's. A reading that comes while a tone still sounds is kept and
// sounded when the tone ends, unless a newer reading takes its place first.
#pragma once

#include <cstdint>
#include <optional>

namespace korvi {

class BeepCoalescer {
  public:
    explicit BeepCoalescer(uint32_t toneMs) : toneMs_(toneMs) {}

    // A reading at `now` (milliseconds of a wrapping clock). Returns the pressure to sound now,
    // or nothing when a tone still sounds; then this reading is the one kept for later.
    std::optional<int16_t> Offer(int16_t pressure, uint32_t now);
    // The kept reading, once the tone before it has ended; it then counts as started at `now`.
    std::optional<int16_t> Due(uint32_t now);
    // Milliseconds until the kept reading may sound (0 when it may sound now or none is kept).
    uint32_t WaitMs(uint32_t now) const;
    bool HasKept() const { return kept_.has_value(); }

  private:
    bool ToneEnded(uint32_t now) const { return !started_ || now - lastStart_ >= toneMs_; }

    uint32_t toneMs_;
    bool started_ = false;
    uint32_t lastStart_ = 0;
    std::optional<int16_t> kept_;
};

}  // namespace korvi

#include "display/BeepCoalescer.h"

namespace korvi {

std::optional<int16_t> BeepCoalescer::Offer(int16_t pressure, uint32_t now) {
    if (!ToneEnded(now)) {
        kept_ = pressure;
        return std::nullopt;
    }
    kept_.reset();
    started_ = true;
    lastStart_ = now;
    return pressure;
}

std::optional<int16_t> BeepCoalescer::Due(uint32_t now) {
    if (!kept_ || !ToneEnded(now)) {
        return std::nullopt;
    }
    const int16_t pressure = *kept_;
    kept_.reset();
    started_ = true;
    lastStart_ = now;
    return pressure;
}

uint32_t BeepCoalescer::WaitMs(uint32_t now) const {
    if (!kept_ || ToneEnded(now)) {
        return 0;
    }
    return toneMs_ - (now - lastStart_);
}

}  // namespace korvi

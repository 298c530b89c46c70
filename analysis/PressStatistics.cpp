#include "analysis/PressStatistics.h"

#include <algorithm>
#include <cmath>

namespace korvi {

void PressStatistics::Clear(uint32_t nowMs) {
    totals_.fill(Totals{});
    sessionStartMs_ = nowMs;
}

void PressStatistics::Add(int sensor, int pressure, int x, int y, uint32_t nowMs) {
    if (sensor < 0 || sensor >= kSensors) {
        return;
    }
    Totals& t = totals_[static_cast<size_t>(sensor)];
    ++t.readings;
    if (pressure > 0) {
        if (!t.pressed) {
            t.pressed = true;
            t.pressStartMs = nowMs;
            ++t.presses;
        }
        t.peak = std::max(t.peak, pressure);
        ++t.pressedReadings;
        const double w = pressure;
        t.pressureSum += w;
        t.xSum += w * x;
        t.ySum += w * y;
        t.xxSum += w * x * x;
        t.yySum += w * y * y;
    } else if (t.pressed) {
        t.pressed = false;
        // Unsigned: the clock's count may wrap between the two readings.
        t.pressedMs += static_cast<uint32_t>(nowMs - t.pressStartMs);
    }
}

double PressStatistics::SessionSeconds(uint32_t nowMs) const {
    return static_cast<uint32_t>(nowMs - sessionStartMs_) / 1000.0;
}

SensorSummary PressStatistics::Summary(int sensor, uint32_t nowMs) const {
    SensorSummary s;
    if (sensor < 0 || sensor >= kSensors) {
        return s;
    }
    const Totals& t = totals_[static_cast<size_t>(sensor)];
    s.readings = t.readings;
    s.presses = t.presses;
    s.peak = t.peak;
    uint64_t pressedMs = t.pressedMs;
    if (t.pressed) {
        pressedMs += static_cast<uint32_t>(nowMs - t.pressStartMs);
    }
    s.pressedSeconds = static_cast<double>(pressedMs) / 1000.0;
    const double session = SessionSeconds(nowMs);
    s.pressedShare = session > 0 ? std::min(1.0, s.pressedSeconds / session) : 0.0;
    if (t.pressedReadings > 0) {
        s.meanWhilePressed = t.pressureSum / static_cast<double>(t.pressedReadings);
        s.centreX = t.xSum / t.pressureSum;
        s.centreY = t.ySum / t.pressureSum;
        // The weighted variance as E[x^2] - E[x]^2, never below 0 for rounding.
        s.spreadX = std::sqrt(std::max(0.0, t.xxSum / t.pressureSum - s.centreX * s.centreX));
        s.spreadY = std::sqrt(std::max(0.0, t.yySum / t.pressureSum - s.centreY * s.centreY));
    }
    return s;
}

}  // namespace korvi

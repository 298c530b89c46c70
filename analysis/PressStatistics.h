// What the presses of a session add up to, per sensor: how many readings and presses, the peak
// and the mean pressure while pressed, how long the sensor was pressed, and where it was pressed
// (the pressure-weighted centre of its raw positions with their spread). Fed with every reading on
// the reading path, so each reading costs a few additions: no allocation and no search.
#pragma once

#include <array>
#include <cstdint>

namespace korvi {

struct SensorSummary {
    int64_t readings = 0;
    // A press starts when the pressure rises above 0 and ends when it falls back to 0.
    int64_t presses = 0;
    int peak = 0;
    double meanWhilePressed = 0;  // mean pressure of the readings above 0
    double pressedSeconds = 0;    // a press lasts from its first reading to the reading of 0
    double pressedShare = 0;      // of the session's time, 0..1
    // Pressure-weighted mean of the raw X and Y (0..4095) over the readings above 0, and the
    // weighted standard deviation about it; all 0 before the first press.
    double centreX = 0;
    double centreY = 0;
    double spreadX = 0;
    double spreadY = 0;
};

class PressStatistics {
  public:
    static constexpr int kSensors = 16;

    // Starts a new session at `nowMs` (the clock's milliseconds): every total back to 0.
    void Clear(uint32_t nowMs);
    // One reading; sensors outside 0..15 are not counted.
    void Add(int sensor, int pressure, int x, int y, uint32_t nowMs);
    // The sensor's figures at `nowMs`: a press still held counts up to then.
    SensorSummary Summary(int sensor, uint32_t nowMs) const;
    double SessionSeconds(uint32_t nowMs) const;

  private:
    struct Totals {
        int64_t readings = 0;
        int64_t presses = 0;
        int peak = 0;
        int64_t pressedReadings = 0;
        double pressureSum = 0;
        double xSum = 0;  // pressure-weighted
        double ySum = 0;
        double xxSum = 0;
        double yySum = 0;
        uint64_t pressedMs = 0;  // of the presses that ended
        bool pressed = false;
        uint32_t pressStartMs = 0;
    };
    std::array<Totals, kSensors> totals_{};
    uint32_t sessionStartMs_ = 0;
};

}  // namespace korvi

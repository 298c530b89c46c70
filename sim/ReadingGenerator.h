// The readings the simulated controller streams: gestures (taps, strokes, footsteps, a pressure
// ramp) on the chosen sensors, repeatable for a given seed, and their data lines.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <random>
#include <vector>

#include "sim/SimOptions.h"

namespace korvi::sim {

// "d" + sensor + pressure (2) + X high (2) + Y high (2) + X low + Y low, upper-case hex, no CR LF.
QByteArray DataLine(const Sample& s);

class ReadingGenerator {
  public:
    ReadingGenerator(Pattern pattern, std::vector<int> sensors, uint32_t seed);
    // Plays back these readings in order, from the first again after the last.
    explicit ReadingGenerator(std::vector<Sample> replay);

    Sample Next();
    // A malformed line in place of the given reading; the kind varies from call to call.
    QByteArray Malformed(const Sample& s);

  private:
    void BeginGesture();
    int Uniform(int lo, int hi);

    Pattern pattern_;
    std::vector<int> sensors_;
    std::mt19937 rng_;

    Pattern gesture_ = Pattern::Taps;
    int sensor_ = 0;
    size_t walkIndex_ = 0;
    int step_ = 0;
    int length_ = 0;
    int peak_ = 0;
    double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
    int64_t rampIndex_ = 0;
    int malformedKind_ = 0;
    std::vector<Sample> replay_;
    size_t replayIndex_ = 0;
};

}  // namespace korvi::sim

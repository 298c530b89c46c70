#include "sim/ReadingGenerator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvi::sim {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int Clamp(double v, int lo, int hi) {
    return std::clamp(static_cast<int>(std::lround(v)), lo, hi);
}

}  // namespace

QByteArray DataLine(const Sample& s) {
    QByteArray line(10, 'd');
    line[1] = kHex[s.sensor & 0xF];
    line[2] = kHex[(s.press >> 4) & 0xF];
    line[3] = kHex[s.press & 0xF];
    line[4] = kHex[(s.x >> 8) & 0xF];
    line[5] = kHex[(s.x >> 4) & 0xF];
    line[6] = kHex[(s.y >> 8) & 0xF];
    line[7] = kHex[(s.y >> 4) & 0xF];
    line[8] = kHex[s.x & 0xF];
    line[9] = kHex[s.y & 0xF];
    return line;
}

ReadingGenerator::ReadingGenerator(Pattern pattern, std::vector<int> sensors, uint32_t seed)
    : pattern_(pattern), sensors_(std::move(sensors)), rng_(seed) {
    if (sensors_.empty()) {
        sensors_.push_back(0);
    }
}

ReadingGenerator::ReadingGenerator(std::vector<Sample> replay)
    : ReadingGenerator(Pattern::Taps, {}, 1) {
    replay_ = std::move(replay);
}

int ReadingGenerator::Uniform(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng_);
}

void ReadingGenerator::BeginGesture() {
    gesture_ = pattern_;
    if (gesture_ == Pattern::Lively) {
        const int pick = Uniform(0, 9);
        gesture_ = pick < 5 ? Pattern::Taps : pick < 8 ? Pattern::Strokes : Pattern::Walk;
    }
    step_ = 0;
    peak_ = Uniform(120, 255);
    switch (gesture_) {
        case Pattern::Taps:
            sensor_ = sensors_[static_cast<size_t>(Uniform(0, int(sensors_.size()) - 1))];
            length_ = Uniform(8, 20);
            x0_ = Uniform(300, 3800);
            y0_ = Uniform(300, 3800);
            break;
        case Pattern::Strokes:
            sensor_ = sensors_[static_cast<size_t>(Uniform(0, int(sensors_.size()) - 1))];
            length_ = Uniform(20, 60);
            x0_ = Uniform(200, 3900);
            y0_ = Uniform(200, 3900);
            x1_ = Uniform(200, 3900);
            y1_ = Uniform(200, 3900);
            break;
        default:  // one footstep on the next sensor of the walk
            sensor_ = sensors_[walkIndex_ % sensors_.size()];
            ++walkIndex_;
            length_ = 30;
            x0_ = 2048 + Uniform(-300, 300);
            y0_ = 3600;
            x1_ = x0_ + Uniform(-200, 200);
            y1_ = 500;
            break;
    }
}

Sample ReadingGenerator::Next() {
    if (!replay_.empty()) {
        const Sample s = replay_[replayIndex_];
        replayIndex_ = (replayIndex_ + 1) % replay_.size();
        return s;
    }
    if (pattern_ == Pattern::Ramp) {
        Sample s;
        s.press = static_cast<int>(rampIndex_ % 256);
        s.sensor = sensors_[static_cast<size_t>((rampIndex_ / 256) % int64_t(sensors_.size()))];
        s.x = s.press * 16;
        s.y = 4095 - s.press * 16;
        ++rampIndex_;
        return s;
    }
    if (step_ >= length_) {
        BeginGesture();
    }
    const double t = length_ > 1 ? double(step_) / (length_ - 1) : 0.0;
    const double bell = std::sin(std::numbers::pi * t);
    Sample s;
    s.sensor = sensor_;
    switch (gesture_) {
        case Pattern::Taps:
            s.press = Clamp(peak_ * bell, 1, 255);
            s.x = Clamp(x0_ + Uniform(-8, 8), 0, 4095);
            s.y = Clamp(y0_ + Uniform(-8, 8), 0, 4095);
            break;
        case Pattern::Strokes:
            s.press = Clamp(peak_ * (0.6 + 0.4 * bell), 1, 255);
            s.x = Clamp(x0_ + (x1_ - x0_) * t, 0, 4095);
            s.y = Clamp(y0_ + (y1_ - y0_) * t, 0, 4095);
            break;
        default:
            // Heel strike, roll to the toe, lift off.
            s.press = Clamp(peak_ * std::sqrt(bell), 1, 255);
            s.x = Clamp(x0_ + (x1_ - x0_) * t, 0, 4095);
            s.y = Clamp(y0_ + (y1_ - y0_) * t, 0, 4095);
            break;
    }
    ++step_;
    return s;
}

QByteArray ReadingGenerator::Malformed(const Sample& s) {
    const QByteArray good = DataLine(s);
    switch (malformedKind_++ % 5) {
        case 0:
            return good.left(6);  // cut short
        case 1:
            return QByteArray("d") + "Z#q?-xx~!";  // no hex where hex belongs
        case 2:
            return QByteArray("x") + good.mid(1);  // unknown line kind
        case 3:
            return {};  // empty line
        default:
            return good.left(3) + '\r' + good.mid(3);  // a lone CR inside the line
    }
}

}  // namespace korvi::sim

#include "display/SoundRules.h"

#include <limits>
#include <utility>

#include "platform/SoundOutput.h"
#include "settings/DrawSetting.h"

namespace korvi {

namespace {

// Ticks during which the sound just played may not start again.
constexpr int16_t kGuardTicks = 3;

// With sound switched off the counters keep growing; a 16-bit hit count would overflow within
// seconds at a high reading rate, so it stops at its largest value instead.
int16_t AddHits(int16_t count, int64_t hits) {
    const int64_t sum = static_cast<int64_t>(count) + hits;
    return sum > std::numeric_limits<int16_t>::max() ? std::numeric_limits<int16_t>::max()
                                                     : static_cast<int16_t>(sum);
}

}  // namespace

SoundRules::SoundRules(DrawSetting& setting, SoundOutput& sound)
    : setting_(setting), sound_(sound) {}

void SoundRules::CollectReading(int16_t sensor, int16_t x, int16_t y, int16_t press) {
    if (setting_.HasSoundFiles) {
        SoundFrames_.push_back({sensor, x, y, press});
    }
}

void SoundRules::Reset() {
    LastSound_ = 0;
    SoundGuard_ = 0;
    SoundFrames_.clear();
}

bool SoundRules::Matches(const SoundEntry& rule, const SoundFrame& frame) {
    const int label = frame.Sensor + 1;  // sensors are counted from 1 here, as their labels
    return (rule.SensorLow == 0 || (rule.SensorLow <= label && label <= rule.SensorHigh)) &&
           rule.XLow <= frame.X && frame.X <= rule.XHigh && rule.YLow <= frame.Y &&
           frame.Y <= rule.YHigh && rule.PressLow <= frame.Press && frame.Press <= rule.PressHigh;
}

void SoundRules::Tick(bool soundOn) {
    std::vector<SoundEntry>& table = setting_.SoundTable;
    const size_t last = table.size();  // entries 1 .. last - 1; entry 0 is unused

    for (size_t n = 1; n < last; ++n) {
        if (table[n].Ticks < std::numeric_limits<int32_t>::max()) {
            ++table[n].Ticks;
        }
    }

    // LastSound does not change while the readings are counted, so the sequence condition is
    // decided once per rule rather than once per reading.
    for (size_t n = 1; n < last; ++n) {
        SoundEntry& rule = table[n];
        if (rule.PrevLow != 0 && !(rule.PrevLow <= LastSound_ && LastSound_ <= rule.PrevHigh)) {
            continue;
        }
        int64_t hits = 0;
        for (const SoundFrame& frame : SoundFrames_) {
            hits += Matches(rule, frame) ? 1 : 0;
        }
        rule.HitCount = AddHits(rule.HitCount, hits);
    }

    if (SoundGuard_ > 0) {
        --SoundGuard_;
    }

    for (size_t n = 1; n < last; ++n) {
        SoundEntry& rule = table[n];
        if (rule.Ticks < rule.Period) {
            continue;
        }
        if (rule.HitCount < rule.MinCount) {
            rule.Ticks = 0;
            rule.HitCount = 0;
        } else if (soundOn) {
            const auto number = static_cast<int16_t>(n);
            if (number != LastSound_ || SoundGuard_ == 0) {
                SoundGuard_ = kGuardTicks;
                LastSound_ = number;
                // A file that cannot be played is passed over in silence.
                (void)sound_.playFile(rule.FileName);
            }
            rule.Ticks = 0;
            rule.HitCount = 0;
        }
    }

    SoundFrames_.clear();
}

SoundTimer::SoundTimer(SoundRules& rules, std::function<bool()> soundOn)
    : rules_(rules), soundOn_(std::move(soundOn)) {
    timSound_.setInterval(1000);
    QObject::connect(&timSound_, &QTimer::timeout, &timSound_, [this] { timSound_Timer(); });
}

void SoundTimer::Start(bool hasSoundFiles) {
    if (hasSoundFiles) {
        timSound_.start(1000);
    }
}

void SoundTimer::Stop() {
    timSound_.stop();
}

void SoundTimer::timSound_Timer() {
    const bool wasEnabled = timSound_.isActive();
    timSound_.stop();
    rules_.Tick(soundOn_ ? soundOn_() : false);
    if (wasEnabled) {
        timSound_.start();
    }
}

}  // namespace korvi

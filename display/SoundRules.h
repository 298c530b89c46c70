// The sound rules of a draw setting: readings are collected while communicating, and once a second
// the rules decide which sound file, if any, to play. SoundRules is the plain logic, driven tick by
// tick; SoundTimer is the one-second window timer `timSound` that drives it in the program.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvi {

struct DrawSetting;
struct SoundEntry;
class SoundOutput;

// One collected reading.
struct SoundFrame {
    int16_t Sensor = 0;  // 0..15, the controller's numbering
    int16_t X = 0;
    int16_t Y = 0;
    int16_t Press = 0;
};

class SoundRules {
  public:
    // Both are kept by reference: the setting is reloaded in place at every start of communication.
    SoundRules(DrawSetting& setting, SoundOutput& sound);

    // After each drawn reading: collects it while the draw setting defines sound files.
    void CollectReading(int16_t sensor, int16_t x, int16_t y, int16_t press);

    // At the start and at the stop of communication: no sound played yet, no guard, no readings.
    void Reset();

    // One evaluation tick (once a second): counts the collected readings against every rule,
    // starts the sounds whose period has elapsed with enough hits, and discards the readings.
    // `soundOn` is the state of the sound check box; while it is off the counters keep growing.
    void Tick(bool soundOn);

    int16_t LastSound() const { return LastSound_; }
    int16_t SoundGuard() const { return SoundGuard_; }
    int32_t SoundFrameCount() const { return static_cast<int32_t>(SoundFrames_.size()); }
    const std::vector<SoundFrame>& SoundFrames() const { return SoundFrames_; }

  private:
    static bool Matches(const SoundEntry& rule, const SoundFrame& frame);

    DrawSetting& setting_;
    SoundOutput& sound_;
    std::vector<SoundFrame> SoundFrames_;  // cleared, not freed, at every tick
    int16_t LastSound_ = 0;
    int16_t SoundGuard_ = 0;
};

// The window timer `timSound`: 1000 ms, running while communicating with sound files defined.
// A tick disables the timer while the rules run, so no tick can start inside another.
class SoundTimer {
  public:
    // `soundOn` reads the sound check box at each tick.
    SoundTimer(SoundRules& rules, std::function<bool()> soundOn);

    // Once the controller has answered: runs only when the draw setting has sound files.
    void Start(bool hasSoundFiles);
    void Stop();
    bool IsEnabled() const { return timSound_.isActive(); }

    // The tick itself, also callable directly.
    void timSound_Timer();

  private:
    SoundRules& rules_;
    std::function<bool()> soundOn_;
    QTimer timSound_;
};

}  // namespace korvi

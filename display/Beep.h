// The beep for a press when no sound files are defined: a 40 ms tone whose pitch rises with the
// pressure, from 220 Hz (pressure 0..8) to 1760 Hz (255).
#pragma once

#include <cstdint>

namespace korvi {

class SoundOutput;

inline constexpr int kBeepMs = 40;

int32_t BeepFrequency(int16_t pressure);
// Starts the tone and returns at once; a new tone may cut off the one still sounding.
void BeepForPress(SoundOutput& sound, int16_t pressure);

}  // namespace korvi

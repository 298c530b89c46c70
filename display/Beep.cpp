#include "display/Beep.h"

#include "platform/SoundOutput.h"
#include "platform/Units.h"

namespace korvi {

int32_t BeepFrequency(int16_t pressure) {
    const int16_t q = RoundEven16(pressure / 16.0);
    const int32_t scaled = static_cast<int32_t>(q) * 1540;
    return RoundEven32(scaled / 16.0 + 220.0);
}

void BeepForPress(SoundOutput& sound, int16_t pressure) {
    sound.tone(BeepFrequency(pressure), kBeepMs);
}

}  // namespace korvi

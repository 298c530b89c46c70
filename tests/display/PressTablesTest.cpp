// The beep's pitch for each pressure, walked at the bounds where the pitch steps: the pressure is
// divided by 16 and rounded half to even, each step adds 96.25 Hz to 220 Hz, rounded half to even.
#include <gtest/gtest.h>

#include "display/Beep.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

TEST(BeepPitch, RisesInStepsOfTheRoundedSixteenth) {
    const std::pair<int16_t, int> cases[] = {
        {0, 220},   {8, 220},   {9, 316},    {24, 412},   {40, 412},   {41, 509},
        {100, 798}, {128, 990}, {247, 1664}, {248, 1760}, {255, 1760},
    };
    for (const auto& [pressure, hz] : cases) {
        EXPECT_EQ(BeepFrequency(pressure), hz) << pressure;
    }
    test::RecordingSound sound;
    BeepForPress(sound, 128);
    ASSERT_EQ(sound.tones.size(), 1u);
    EXPECT_EQ(sound.tones[0].frequencyHz, 990);
    EXPECT_EQ(sound.tones[0].durationMs, 40);
}

}  // namespace
}  // namespace korvi

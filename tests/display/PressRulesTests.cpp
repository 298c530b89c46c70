#include <gtest/gtest.h>

#include "display/Beep.h"
#include "display/PanelMapping.h"
#include "display/PressLookup.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

TEST(PressLookup, FirstMatchingBandWinsAndUncoveredPressuresGiveNothing) {
    const std::vector<PressColorEntry> table = {{1, 50, 0x0000FF, 3}, {40, 255, 0xFF0000, 7}};
    // 45 and 50 lie in both bands and take the first; each band holds its own bounds; 0 and 256
    // lie in none.
    const int cases[][3] = {{45, 0x0000FF, 3}, {50, 0x0000FF, 3},  {1, 0x0000FF, 3},
                            {51, 0xFF0000, 7}, {255, 0xFF0000, 7}, {0, 0, 0},
                            {256, 0, 0}};
    for (const auto& [pressure, color, radius] : cases) {
        const auto p = static_cast<int16_t>(pressure);
        EXPECT_TRUE(GetPressColor(table, p) == static_cast<uint32_t>(color) &&
                    GetPressRadius(table, p) == radius)
            << pressure;
    }
    EXPECT_TRUE(GetPressColor({}, 120) == 0u && GetPressRadius({}, 120) == 0);
}

TEST(PanelMapping, RawOriginFarCornerAndTheDirectionsOfXAndYFollowTheRotation) {
    // On a 40 x 30 panel: rotation, then where raw (0, 0), raw (4095, 4095) and raw (819, 2457)
    // land. The last is a fifth of X's and three fifths of Y's full scale: 8 pixels along X and
    // 18 along Y from the raw origin at rotation 0, 6 along X and 24 along Y when turned.
    const int cases[][7] = {{0, 0, 30, 40, 0, 8, 12},
                            {90, 40, 30, 0, 0, 16, 24},
                            {180, 40, 0, 0, 30, 32, 18},
                            {270, 0, 0, 40, 30, 24, 6},
                            {45, 0, 30, 40, 0, 8, 12}};
    for (const auto& [rotation, x0, y0, x1, y1, xm, ym] : cases) {
        const auto r = static_cast<int16_t>(rotation);
        const PanelPoint origin = MapToPanel(r, 0, 0, 40, 30);
        const PanelPoint far = MapToPanel(r, 4095, 4095, 40, 30);
        const PanelPoint inner = MapToPanel(r, 819, 2457, 40, 30);
        EXPECT_TRUE(origin.x == x0 && origin.y == y0 && far.x == x1 && far.y == y1) << rotation;
        EXPECT_TRUE(inner.x == xm && inner.y == ym) << rotation;
    }
}

TEST(PanelMapping, HalfPixelResultsRoundToTheEvenNeighbour) {
    // Extents whose scale factor is exactly 2.5 and 3.5 pixels per raw step.
    const double w25 = 4095 * 2.5;
    const double w35 = 4095 * 3.5;
    EXPECT_EQ(MapToPanel(0, 1, 0, w25, 10).x, 2);
    EXPECT_EQ(MapToPanel(0, 1, 0, w35, 10).x, 4);
    EXPECT_EQ(MapToPanel(0, 0, 4094, 10, w25).y, 2);     // H - 4094 * 2.5 = 2.5
    EXPECT_EQ(MapToPanel(180, 4092, 0, w35, 10).x, 10);  // W - 4092 * 3.5 = 10.5
    EXPECT_EQ(MapToPanel(270, 0, 1, w35, 10).x, 4);
}

// The beep's pitch for each pressure, walked at the bounds where the pitch steps: the pressure is
// divided by 16 and rounded half to even, each step adds 96.25 Hz to 220 Hz, rounded half to even.
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

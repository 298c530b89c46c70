// The peak map: every position pressed keeps the highest pressure's dot, whatever order the
// presses came in, until the display is cleared; switching it off returns to the dots.
#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

using PeakMap = DisplayFixture;

// On a 40 x 30 drawing at rotation 0, raw X 1024 and 1228 land on pixels 10 and 12, raw Y 2048
// on row 15. A green dot of radius 3 (pressure 50) at 10 reaches 7..13, a blue one of radius 4
// (pressure 150) at 12 reaches 8..16.
TEST_F(PeakMap, TheHighestPressureShowsWhereDotsOverlapInEitherOrder) {
    Place(0, 0, 0, 40, 30);
    display.SetPeakMap(true);
    for (const bool lowFirst : {true, false}) {
        display.ClearPresses();
        EXPECT_EQ(PanelPixel(0, 12, 15), kWhite);
        const int16_t first = lowFirst ? 50 : 150;
        const int16_t second = lowFirst ? 150 : 50;
        display.DrawReading(0, first, lowFirst ? 1024 : 1228, 2048);
        display.DrawReading(0, second, lowFirst ? 1228 : 1024, 2048);
        // A lower press later on the same place, and the release, take nothing away.
        display.DrawReading(0, 20, 1228, 2048);
        display.DrawReading(0, 0, 0, 0);
        EXPECT_EQ(PanelPixel(0, 7, 15), kGreen) << lowFirst;
        EXPECT_EQ(PanelPixel(0, 10, 15), kBlue) << lowFirst;
        EXPECT_EQ(PanelPixel(0, 12, 15), kBlue) << lowFirst;
        EXPECT_EQ(PanelPixel(0, 16, 15), kBlue) << lowFirst;
        EXPECT_EQ(PanelPixel(0, 17, 15), kWhite) << lowFirst;
        EXPECT_EQ(PanelPixel(0, 5, 15), kWhite) << lowFirst;
    }
    // A light touch (up to the threshold) is a dot of its band like any other, not a flood.
    display.DrawReading(0, 5, 3276, 2048);  // pixel 32
    EXPECT_EQ(PanelPixel(0, 32, 15), kGreen);
    EXPECT_EQ(PanelPixel(0, 25, 5), kWhite);
    // A panel cleared on its own (the layout editor moving its frame) shows lower presses again.
    layout.picPressSens[0]->canvas().cls();
    display.DrawReading(0, 50, 1228, 2048);
    EXPECT_EQ(PanelPixel(0, 12, 15), kGreen);

    // Off: the display is cleared and each sensor's dot moves with it again.
    display.SetPeakMap(false);
    EXPECT_EQ(PanelPixel(0, 12, 15), kWhite);
    display.DrawReading(0, 150, 1228, 2048);
    display.DrawReading(0, 150, 3276, 2048);
    display.FlushDisplay();
    EXPECT_EQ(PanelPixel(0, 12, 15), kWhite);
    EXPECT_EQ(PanelPixel(0, 32, 15), kBlue);
}

}  // namespace
}  // namespace korvi::test

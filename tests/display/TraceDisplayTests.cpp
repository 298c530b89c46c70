#include <gtest/gtest.h>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

// A 100 x 20 panel on which raw X = 410 * n lands at pixel 10 * n and raw Y 2048 at pixel 10;
// the ring keeps 5 marks.
class TraceDisplay : public DisplayFixture {
  protected:
    TraceDisplay() {
        Place(0, 3000, 3000, 100, 20);
        display.chkTrace = true;
    }
    void PressAt(int n, int16_t pressure) {
        display.DrawReading(0, pressure, static_cast<int16_t>(410 * n), 2048);
    }
    uint32_t At(int n) const { return PanelPixel(0, 10 * n, 10); }
};

TEST_F(TraceDisplay, RingRedrawsTheNewestMarksOldestFirst) {
    // Exactly five: the fifth (green) lands on the first (blue) and must end on top.
    for (int n : {1, 2, 3, 4}) {
        PressAt(n, 200);
    }
    PressAt(1, 50);
    EXPECT_TRUE(At(1) == kGreen && At(2) == kBlue && At(4) == kBlue);
    // Seven: the first two are gone and the seventh (blue) must end on top of the fifth.
    PressAt(6, 200);
    PressAt(1, 200);
    EXPECT_EQ(display.Trace().TraceCount, 7);
    const uint32_t expected[] = {kBlue, kWhite, kBlue, kBlue, kWhite, kBlue};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(At(n), expected[n - 1]) << n;
    }
}

TEST_F(TraceDisplay, PressesAtOrBelowTheThresholdNeverEnterTheRing) {
    ShowPlate();
    PressAt(1, 200);
    PressAt(3, 10);  // floods the panel, then the redraw wipes it
    EXPECT_EQ(display.Trace().TraceCount, 1);
    EXPECT_EQ(At(6), kWhite);
    PressAt(3, 200);
    EXPECT_TRUE(At(1) == kBlue && At(3) == kBlue && At(8) == kWhite);
    // Panel pixel (10n, 10) is plate pixel (100 + 10n, 110).
    EXPECT_TRUE(PlatePixel(110, 110) == kBlue && PlatePixel(130, 110) == kBlue);
}

TEST_F(TraceDisplay, ShorterOrEmptyRingStartsEmptyAndStaysInBounds) {
    for (int n = 1; n <= 4; ++n) {
        PressAt(n, 200);
    }
    setting.TraceSize = 2;
    display.ResetTrace();
    for (int n : {5, 6, 7}) {
        PressAt(n, 200);
    }
    EXPECT_TRUE(At(4) == kWhite && At(5) == kWhite && At(6) == kBlue && At(7) == kBlue);

    setting.TraceSize = 0;
    display.ResetTrace();
    PressAt(1, 200);
    EXPECT_EQ(display.Trace().TraceCount, 0);
    EXPECT_TRUE(PanelIsPlain(0, kWhite));
}

}  // namespace
}  // namespace korvi::test

#include <gtest/gtest.h>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

// A 100 x 20 panel on which raw X = 410 * n lands at pixel 10 * n and raw Y 2048 at pixel 10.
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

TEST_F(TraceDisplay, RingShowsTheNewestMarksDrawnOldestFirst) {
    for (int n = 1; n <= 5; ++n) {
        PressAt(n, n == 5 ? 50 : 200);
    }
    for (int n = 1; n <= 5; ++n) {
        EXPECT_NE(At(n), kWhite) << n;
    }
    // Two more; the seventh (blue) lands on the fifth (green) and must end on top.
    PressAt(6, 200);
    PressAt(5, 200);
    EXPECT_EQ(display.Trace().TraceCount, 7);
    EXPECT_EQ(display.Trace().TraceNext, 2);
    EXPECT_EQ(At(1), kWhite);
    EXPECT_EQ(At(2), kWhite);
    EXPECT_EQ(At(3), kBlue);
    EXPECT_EQ(At(5), kBlue);
    EXPECT_EQ(At(6), kBlue);
}

TEST_F(TraceDisplay, LightPressesNeverEnterTheRingAndVanishWithTheRedraw) {
    ShowPlate(1500, 1500, 300, 200);
    PressAt(1, 200);
    PressAt(3, 5);  // floods the panel, then the redraw wipes it
    EXPECT_EQ(display.Trace().TraceCount, 1);
    EXPECT_EQ(At(6), kWhite);

    PressAt(3, 200);
    EXPECT_EQ(display.Trace().TraceCount, 2);
    EXPECT_TRUE(At(1) == kBlue && At(3) == kBlue && At(8) == kWhite);
    // Panel pixel (10n, 10) is plate pixel (100 + 10n, 110).
    EXPECT_EQ(PlatePixel(110, 110), kBlue);
    EXPECT_EQ(PlatePixel(130, 110), kBlue);
}

TEST_F(TraceDisplay, SwitchedOffOrResizedTheRingStartsEmpty) {
    PressAt(1, 200);
    PressAt(2, 200);
    display.chkTrace = false;
    PressAt(4, 200);
    EXPECT_EQ(display.Trace().TraceCount, 0);
    EXPECT_EQ(display.Trace().TraceNext, 0);
    EXPECT_TRUE(At(1) == kBlue && At(4) == kBlue);

    // A new communication with a shorter trace never writes past the new ring.
    display.chkTrace = true;
    for (int n = 1; n <= 4; ++n) {
        PressAt(n, 200);
    }
    setting.TraceSize = 2;
    display.ResetTrace();
    EXPECT_EQ(display.Trace().TraceNext, 0);
    PressAt(5, 200);
    PressAt(6, 200);
    PressAt(7, 200);
    EXPECT_TRUE(At(5) == kWhite && At(6) == kBlue && At(7) == kBlue);

    // A trace of no marks stores nothing and shows nothing.
    setting.TraceSize = 0;
    display.ResetTrace();
    PressAt(1, 200);
    EXPECT_EQ(display.Trace().TraceCount, 0);
    EXPECT_TRUE(PanelIsPlain(0, kWhite));
}

}  // namespace
}  // namespace korvi::test

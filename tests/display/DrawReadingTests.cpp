#include <gtest/gtest.h>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

using DrawReading = DisplayFixture;

// Panel 0 is 40 x 30 pixels; raw 2048 lands on pixel (20, 15), raw 1024 on (10, 22).
TEST_F(DrawReading, DotLandsOnTheMappedPixelAndTheNextReadingErasesIt) {
    Place(0, 3000, 3000, 40, 30);
    display.DrawReading(0, 200, 2048, 2048);
    EXPECT_TRUE(PanelPixel(0, 23, 15) == kBlue && PanelPixel(0, 26, 15) == kWhite);
    display.DrawReading(0, 50, 1024, 1024);
    EXPECT_TRUE(PanelPixel(0, 10, 22) == kGreen && PanelPixel(0, 23, 15) == kWhite);
}

TEST_F(DrawReading, LightPressFloodsThePanelUntilSensorZeroIsReleasedAtTheOrigin) {
    Place(0, 3000, 3000, 40, 30);
    ShowPlate();
    display.DrawReading(0, 10, 2048, 2048);
    // Panel 0 covers plate pixels 100..140 x 100..130.
    EXPECT_TRUE(PlatePixel(104, 126) == kGreen && PlatePixel(50, 50) == kPlatePicture);
    display.DrawReading(0, 0, 100, 100);
    Place(5, 6000, 3000, 40, 30);
    display.DrawReading(5, 5, 2048, 2048);
    display.DrawReading(5, 0, 0, 0);
    EXPECT_TRUE(PanelIsPlain(0, kGreen) && PanelIsPlain(5, kGreen));
    display.DrawReading(0, 0, 0, 0);
    EXPECT_TRUE(PanelIsPlain(0, kWhite));
}

TEST_F(DrawReading, HiddenPanelOrUnknownSensorChangesNothingButTheOriginMark) {
    Place(0, 3000, 3000, 40, 30);
    ShowPlate();
    layout.picPressSens[3]->Move(3900, 3000, 600, 450);
    display.chkTrace = true;
    display.DrawReading(0, 200, 2048, 2048);
    const QImage panelBefore = layout.picPressSens[0]->canvas().image().copy();
    const QImage plateBefore = layout.picBaseSens->canvas().image().copy();

    for (int16_t sensor : {int16_t{3}, int16_t{16}, int16_t{-1}}) {
        display.DrawReading(sensor, 200, 2048, 2048);
    }
    EXPECT_EQ(layout.picPressSens[0]->canvas().image(), panelBefore);
    EXPECT_EQ(layout.picBaseSens->canvas().image(), plateBefore);
    EXPECT_EQ(display.Trace().TraceCount, 1);
    EXPECT_TRUE(PanelIsPlain(3, kWhite));
    EXPECT_EQ(PanelPixel(3, 20, 29), kBlack);  // the tick at the bottom centre
}

TEST_F(DrawReading, MergedSensorIsDrawnOnPanelZeroAndKeptUnderItsOwnNumber) {
    Place(0, 3000, 3000, 40, 30);
    layout.SensorRotation[0] = 180;
    layout.SensorRotation[2] = 90;
    layout.SensorMerged[2] = true;
    display.chkTrace = true;
    display.DrawReading(2, 200, 0, 0);
    // Panel 0's rotation puts the raw origin at the top right; the trace redraw keeps the mark.
    EXPECT_EQ(PanelPixel(0, 38, 1), kBlue);
    EXPECT_EQ(layout.LastPress[2].MarkPress, 200);
    EXPECT_EQ(layout.LastPress[0].MarkPress, 0);

    // Sensor 2's next reading erases its own last mark, not sensor 0's.
    display.chkTrace = false;
    display.DrawReading(2, 50, 4095, 4095);
    EXPECT_TRUE(PanelPixel(0, 38, 1) == kWhite && PanelPixel(0, 1, 28) == kGreen);
}

TEST_F(DrawReading, PlateMirrorsMarksOnItAndIgnoresThoseOffIt) {
    Place(0, 3000, 3000, 40, 30);
    Place(1, 7500, 1500, 40, 30);  // beside the plate
    Place(2, 5415, 3000, 40, 30);  // ends 15 twips beyond the plate's right edge
    ShowPlate();
    display.DrawReading(0, 200, 2048, 2048);
    EXPECT_EQ(PlatePixel(123, 115), kBlue);
    EXPECT_EQ(PlatePixel(100, 115), GetFrameColor(kPlateColor));

    // Off the plate nothing is drawn there, yet the repaint keeps sensor 0's last mark.
    display.DrawReading(1, 200, 2048, 2048);
    EXPECT_TRUE(PanelPixel(1, 20, 15) == kBlue && PlatePixel(123, 115) == kBlue);
    display.DrawReading(2, 200, 4095, 2048);  // centre 15 twips past the edge
    EXPECT_EQ(PlatePixel(298, 115), kPlatePicture);
    display.DrawReading(2, 200, 4000, 2048);  // centre exactly on the edge
    EXPECT_EQ(PlatePixel(298, 115), kBlue);
}

}  // namespace
}  // namespace korvi::test

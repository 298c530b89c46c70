#include <gtest/gtest.h>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

// Panel 0 is 40 x 30 pixels; raw 2048 lands on pixel (20, 15), raw 1024 on (10, 22).
class DrawReading : public DisplayFixture {
  protected:
    DrawReading() { Place(0, 3000, 3000, 40, 30); }
};

TEST_F(DrawReading, DotLandsOnTheMappedPixelAndTheNextReadingErasesIt) {
    display.DrawReading(0, 200, 2048, 2048);
    EXPECT_TRUE(PanelPixel(0, 23, 15) == kBlue && PanelPixel(0, 26, 15) == kWhite);
    display.DrawReading(0, 50, 1024, 1024);
    EXPECT_TRUE(PanelPixel(0, 10, 22) == kGreen && PanelPixel(0, 23, 15) == kWhite);
}

// Raw X 819 and Y 2457 are a fifth and three fifths of full scale: on a 40 x 30 panel the mark
// lies 8 pixels along X and 18 along Y from the raw origin, in the rotation's directions.
TEST_F(DrawReading, RotationPlacesTheRawOriginAndTheDirectionsOfXAndY) {
    const struct {
        int16_t rotation;
        int x, y;
    } cases[] = {{0, 8, 12}, {90, 16, 24}, {180, 32, 18}, {270, 24, 6}, {45, 8, 12}};
    for (const auto& c : cases) {
        layout.SensorRotation[0] = c.rotation;
        display.DrawReading(0, 200, 819, 2457);
        EXPECT_TRUE(PanelPixel(0, c.x, c.y) == kBlue && PanelPixel(0, c.x + 3, c.y) == kBlue &&
                    PanelPixel(0, c.x + 6, c.y) == kWhite)
            << c.rotation;
    }
}

// Threshold 10; pressures 1..100 green with radius 3, 101..255 blue with radius 4. Each bound
// decides between flooding the panel and a dot, and between the bands' colours and radii.
TEST_F(DrawReading, PressureBoundsChooseFloodOrDotAndTheBandsColourAndRadius) {
    const struct {
        int16_t pressure;
        uint32_t color;
        int radius;  // 0: the whole panel takes the colour
    } cases[] = {
        {11, kGreen, 3}, {100, kGreen, 3}, {101, kBlue, 4}, {255, kBlue, 4}, {10, kGreen, 0}};
    for (const auto& c : cases) {
        display.DrawReading(0, c.pressure, 2048, 2048);  // centre (20, 15)
        const uint32_t outside = c.radius == 0 ? c.color : kWhite;
        EXPECT_TRUE(PanelPixel(0, 20, 15) == c.color && PanelPixel(0, 2, 2) == outside)
            << c.pressure;
        if (c.radius > 0) {
            EXPECT_TRUE(PanelPixel(0, 20 + c.radius - 1, 15) == c.color &&
                        PanelPixel(0, 20 + c.radius + 1, 15) == kWhite &&
                        PanelPixel(0, 20, 15 - c.radius + 1) == c.color)
                << c.pressure;
        }
    }
}

TEST_F(DrawReading, LightPressFloodsThePanelUntilSensorZeroIsReleasedAtTheOrigin) {
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
    ShowPlate();
    layout.picPressSens[3]->Move(3900, 3000, 630, 480);  // a drawing of 40 x 30 pixels
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
    Place(1, 7500, 1500, 40, 30);  // beside the plate
    Place(2, 5415, 3000, 40, 30);  // ends 15 twips beyond the plate's right edge
    ShowPlate();
    display.DrawReading(0, 200, 2048, 2048);
    EXPECT_EQ(PlatePixel(123, 115), kBlue);
    EXPECT_EQ(PlatePixel(100, 115), 0x9F9FA0u);  // the outline: 0x404040 half-way to white

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

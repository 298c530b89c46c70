// Readings drawn on real panels and the plate, read back pixel by pixel: floods, dots, merged
// sensors, the peak map, the trace and footprints.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

// Panel 0 is 40 x 30 pixels; raw 2048 lands on pixel (20, 15).
class DrawReading : public DisplayFixture {
  protected:
    DrawReading() { Place(0, 3000, 3000, 40, 30); }
};

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

// The peak map: every position pressed keeps the highest pressure's dot, whatever order the
// presses came in, until the display is cleared; switching it off returns to the dots.
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

// Presses at or below the threshold never enter the ring; the ring redraws the newest marks oldest
// first; a shorter or empty ring starts empty and stays in bounds.
TEST_F(TraceDisplay, RingKeepsTheNewestMarksAboveTheThresholdOldestFirst) {
    ShowPlate();
    PressAt(1, 200);
    PressAt(3, 10);  // floods the panel, then the redraw wipes it
    EXPECT_EQ(display.Trace().TraceCount, 1);
    EXPECT_EQ(At(6), kWhite);
    PressAt(3, 200);
    EXPECT_TRUE(At(1) == kBlue && At(3) == kBlue && At(8) == kWhite);
    // Panel pixel (10n, 10) is plate pixel (100 + 10n, 110).
    EXPECT_TRUE(PlatePixel(110, 110) == kBlue && PlatePixel(130, 110) == kBlue);

    // Exactly five: the fifth (green) lands on the first (blue) and must end on top.
    display.ResetTrace();
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

// A 64 x 64 panel on which raw 2048 lands at pixel 32, and the plate.
class BitmapMode : public DisplayFixture {
  protected:
    BitmapMode() {
        Place(0, 3000, 3000, 64, 64);
        ShowPlate();
    }
    void PressCentre(int16_t pressure) { display.DrawReading(0, pressure, 2048, 2048); }
    bool OnPlate(int i) const { return layout.imgBmpOnBase[i]->isVisibleTo(layout.picBaseSens); }
};

TEST_F(BitmapMode, PressureChoosesTheFootprintReleaseHidesItAndTracedOnesShowThrough) {
    ASSERT_EQ(display.ToggleBmpMode(), QStringLiteral("BMP表示"));
    const int cases[][2] = {{1, 0}, {15, 0}, {16, 1}, {255, 15}};
    ImageControl& onPlate = *layout.imgBmpOnBase[0];
    for (const auto& [pressure, image] : cases) {
        PressCentre(static_cast<int16_t>(pressure));
        EXPECT_EQ(PanelPixel(0, 32, 32), FootColor(image)) << pressure;
        EXPECT_EQ(FromQColor(onPlate.picture().pixelColor(16, 16)), FootColor(image));
    }
    EXPECT_EQ(PanelPixel(0, 18, 18), kWhite);
    // Panel pixel 32 is 1980 twips into the plate; the 480 twip picture is centred there.
    EXPECT_TRUE(OnPlate(0));
    EXPECT_EQ(onPlate.Left(), 1740.0f);

    display.DrawReading(0, 0, 0, 0);
    EXPECT_TRUE(PanelIsPlain(0, kWhite));
    EXPECT_FALSE(OnPlate(0));
    EXPECT_EQ(onPlate.Left(), 1740.0f);

    // Traced footprints show through each other's white.
    display.chkTrace = true;
    // Raw 1280 lands on pixel 20: the first footprint covers 4..35, its square 12..27; the second
    // one's picture starts at 16, its square at 24.
    display.DrawReading(0, 100, 1280, 2048);
    PressCentre(100);
    EXPECT_EQ(PanelPixel(0, 20, 30), FootColor(6));
    EXPECT_EQ(PanelPixel(0, 30, 30), FootColor(6));
    EXPECT_EQ(PanelPixel(0, 44, 30), kWhite);
}

TEST_F(BitmapMode, SwitchingModeOrClearingWipesMarksAndTraceButNotHiddenPanels) {
    PictureBox& hidden = *layout.picPressSens[4];
    hidden.Move(9000, 3000, 600, 450);
    hidden.canvas().setBackColor(kBlue);
    display.chkTrace = true;
    display.ToggleBmpMode();
    PressCentre(100);
    display.ClearPresses();
    EXPECT_TRUE(PanelIsPlain(0, kWhite) && PanelIsPlain(4, kBlue) && !OnPlate(0));
    EXPECT_EQ(display.Trace().TraceCount, 0);

    PressCentre(200);
    EXPECT_EQ(display.ToggleBmpMode(), QStringLiteral("点表示"));
    EXPECT_TRUE(PanelIsPlain(0, kWhite) && !OnPlate(0));
    EXPECT_EQ(display.Trace().TraceCount, 0);
}

TEST_F(BitmapMode, MissingOrBrokenFootprintIsReportedAndTheModeStaysDots) {
    PressCentre(200);
    const QImage before = layout.picPressSens[0]->canvas().image().copy();
    QFile::remove(FootPath(bmpDir, 7));
    EXPECT_EQ(display.ToggleBmpMode(), QStringLiteral("点表示"));
    EXPECT_EQ(layout.picPressSens[0]->canvas().image(), before);

    // A whole bitmap cut short: the decoder would fill the missing rows with black.
    QImage(32, 32, QImage::Format_RGB32).save(FootPath(bmpDir, 7), "BMP");
    QFile broken(FootPath(bmpDir, 7));
    ASSERT_TRUE(broken.open(QIODevice::ReadWrite));
    ASSERT_TRUE(broken.resize(broken.size() - 100));
    broken.close();
    EXPECT_EQ(display.ToggleBmpMode(), QStringLiteral("点表示"));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].icon, BoxIcon::Critical);
    EXPECT_EQ(boxes.shown[1].text,
              FootPath(bmpDir, 7) + QStringLiteral(" を読み込めません。\r\n設定ファイル(Setting."
                                                   "ini)の BMPファイルディレクトリ を確認してく"
                                                   "ださい。"));
    PressCentre(50);
    EXPECT_EQ(PanelPixel(0, 32, 32), kGreen);
}

}  // namespace
}  // namespace korvi::test

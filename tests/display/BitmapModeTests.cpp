#include <gtest/gtest.h>

#include <QFile>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

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

TEST_F(BitmapMode, PressureChoosesTheFootprintAndReleaseHidesItWhereItWas) {
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
}

TEST_F(BitmapMode, TracedFootprintsShowThroughEachOthersWhite) {
    display.ToggleBmpMode();
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

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>

#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

uint32_t FootColor(int k) {
    return static_cast<uint32_t>(0x0F0000 * k + 0x004020 + k);
}

// Footprint k: 32 x 32 white with a 16 x 16 square of its own colour in the middle, shown on a
// 64 x 64 panel on which raw 2048 lands at pixel 32.
class BitmapMode : public DisplayFixture {
  protected:
    BitmapMode() {
        for (int k = 0; k < 16; ++k) {
            QImage foot(32, 32, QImage::Format_RGB32);
            foot.fill(Qt::white);
            QPainter(&foot).fillRect(8, 8, 16, 16, ToQColor(FootColor(k)));
            foot.save(FootPath(k), "BMP");
        }
        Place(0, 3000, 3000, 64, 64);
        ShowPlate(1500, 1500, 300, 200);
    }
    QString FootPath(int k) const {
        return QDir(bmpDir.path()).filePath(QStringLiteral("Foot_%1.bmp").arg(k));
    }
    void PressCentre(int16_t pressure) { display.DrawReading(0, pressure, 2048, 2048); }
    bool OnPlate(int i) const { return layout.imgBmpOnBase[i]->isVisibleTo(layout.picBaseSens); }
};

TEST_F(BitmapMode, PressureChoosesTheFootprintAndReleaseHidesItWhereItWas) {
    ASSERT_EQ(display.ToggleBmpMode(), QStringLiteral("BMP表示"));
    const struct {
        int16_t pressure;
        int image;
    } cases[] = {{1, 0}, {15, 0}, {16, 1}, {255, 15}};
    ImageControl& onPlate = *layout.imgBmpOnBase[0];
    for (const auto& c : cases) {
        PressCentre(c.pressure);
        EXPECT_EQ(PanelPixel(0, 32, 32), FootColor(c.image)) << c.pressure;
        EXPECT_EQ(FromQColor(onPlate.picture().pixelColor(16, 16)), FootColor(c.image));
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

TEST_F(BitmapMode, SwitchingModeOrClearingWipesMarksAndTraceButNotHiddenPanels) {
    PictureBox& hidden = *layout.picPressSens[4];
    hidden.Move(9000, 3000, 600, 450);
    hidden.canvas().setBackColor(kBlue);
    display.chkTrace = true;
    display.ToggleBmpMode();
    PressCentre(100);
    display.ClearPresses();
    EXPECT_TRUE(PanelIsPlain(0, kWhite));
    EXPECT_TRUE(PanelIsPlain(4, kBlue));
    EXPECT_FALSE(OnPlate(0));
    EXPECT_EQ(display.Trace().TraceCount, 0);

    PressCentre(200);
    EXPECT_EQ(display.ToggleBmpMode(), QStringLiteral("点表示"));
    EXPECT_EQ(display.Trace().TraceCount, 0);
    EXPECT_TRUE(PanelIsPlain(0, kWhite));
    EXPECT_FALSE(OnPlate(0));
}

TEST_F(BitmapMode, MissingOrBrokenFootprintIsReportedAndTheModeStaysDots) {
    PressCentre(200);
    const QImage before = layout.picPressSens[0]->canvas().image().copy();
    QFile::remove(FootPath(7));
    EXPECT_EQ(display.ToggleBmpMode(), QStringLiteral("点表示"));
    EXPECT_EQ(layout.picPressSens[0]->canvas().image(), before);

    QFile broken(FootPath(7));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    EXPECT_EQ(display.ToggleBmpMode(), QStringLiteral("点表示"));
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const ShownBox& box : boxes.shown) {
        EXPECT_TRUE(box.text.contains(QStringLiteral("Foot_7.bmp")));
        EXPECT_EQ(box.icon, BoxIcon::Critical);
    }
    EXPECT_FALSE(display.BmpMode());
    PressCentre(50);
    EXPECT_EQ(PanelPixel(0, 32, 32), kGreen);
}

}  // namespace
}  // namespace korvi::test

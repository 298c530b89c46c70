// The drawing services every layout change relies on: origin marks and the frame outlines on the
// base plate, checked on the backing pixels.
#include <gtest/gtest.h>

#include "layout/SensorLayout.h"
#include "platform/Colors.h"
#include "tests/support/Screen.h"

namespace korvi {
namespace {

constexpr uint32_t kBase = 0x808080;

class LayoutFixture : public ::testing::Test {
  protected:
    LayoutFixture() : layout(form, kBase, false) {
        form.resize(1100, 800);
        layout.InitSensors();
    }
    // A placed frame whose drawing is w x h pixels (the frame two pixels more each way, its
    // border) at a window position given in twips, cleared to white.
    Canvas& Place(int sensor, float left, float top, int w, int h) {
        PictureBox& frame = *layout.picPressSens[sensor];
        frame.Move(left, top, static_cast<float>((w + 2) * 15), static_cast<float>((h + 2) * 15));
        frame.canvas().setBackColor(kWhite);
        frame.canvas().cls();
        frame.show();
        return frame.canvas();
    }
    FormSurface form{nullptr};
    SensorLayout layout;
};

TEST_F(LayoutFixture, OriginTickSitsOnTheEdgeWhereYIsZeroForEachRotation) {
    Canvas& canvas = Place(2, 3000, 3000, 40, 30);
    const struct {
        int16_t rotation;
        int inkX, inkY;      // a pixel of the tick next to its inner end
        int clearX, clearY;  // a pixel just beyond its inner end
    } cases[] = {// 0: (20,30)-(20,25); 90: (40,15)-(35,15); 180: (20,0)-(20,5); 270: (0,15)-(5,15).
                 {0, 20, 26, 20, 22},
                 {90, 36, 15, 32, 15},
                 {180, 20, 4, 20, 8},
                 {270, 4, 15, 8, 15}};
    for (const auto& c : cases) {
        canvas.cls();
        DrawOrgMark(*layout.picPressSens[2], c.rotation, kBlack);
        EXPECT_EQ(canvas.pixel(c.inkX, c.inkY), kBlack) << c.rotation;
        EXPECT_EQ(canvas.pixel(c.clearX, c.clearY), kWhite) << c.rotation;
    }
    // 41 pixels wide: the middle 20.5 rounds to 20, so the 2-pixel tick covers columns 19, 20.
    Canvas& odd = Place(3, 3000, 3000, 41, 30);
    DrawOrgMark(*layout.picPressSens[3], 0, kBlack);
    EXPECT_EQ(std::vector<uint32_t>(
                  {odd.pixel(18, 28), odd.pixel(19, 28), odd.pixel(20, 28), odd.pixel(21, 28)}),
              std::vector<uint32_t>({kWhite, kBlack, kBlack, kWhite}));
    // A control that is not a sensor gets no mark.
    PictureBox& image = *layout.picBase[0];
    image.canvas().setBackColor(kWhite);
    DrawOrgMark(image, 0, kBlack);
    const Canvas& c = image.canvas();
    EXPECT_EQ(test::CountColour(c, kWhite), c.pixelWidth() * c.pixelHeight());
}

TEST_F(LayoutFixture, FramesAreOutlinedOnThePlateInTheFrameColourOnlyWhileShown) {
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(ToQColor(0x00FF00));
    layout.picBaseSens->canvas().setPicture(picture);
    layout.picBaseSens->Move(3000, 1500, 200 * 15, 150 * 15);
    layout.picBaseSens->show();
    Place(0, 3000 + 30 * 15, 1500 + 40 * 15, 37, 37);
    Place(1, 3000 + 120 * 15, 1500 + 40 * 15, 37, 37);
    layout.picPressSens[1]->hide();
    const Canvas& plate = layout.picBaseSens->canvas();

    DrawSensorFrames(layout, true);
    // Sensor 1's left and top edges, inside it the picture; a hidden frame is not outlined.
    EXPECT_EQ(std::vector<uint32_t>({plate.pixel(30, 60), plate.pixel(50, 40), plate.pixel(50, 60),
                                     plate.pixel(120, 60)}),
              std::vector<uint32_t>({0xBFBFC0u, 0xBFBFC0u, 0x00FF00u, 0x00FF00u}));
    DrawSensorFrames(layout, false);
    EXPECT_EQ(plate.pixel(30, 60), 0x00FF00u);
    EXPECT_EQ(plate.pixel(50, 40), 0x00FF00u);
}

}  // namespace
}  // namespace korvi

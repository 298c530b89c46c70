// The layout model at start-up and the drawing services every layout change relies on: origin
// marks, frame outlines on the base plate and clearing, checked on the backing images' pixels.
#include <gtest/gtest.h>

#include "layout/SensorLayout.h"
#include "platform/Colors.h"

namespace korvi {
namespace {

constexpr uint32_t kBase = 0x808080;

class LayoutFixture : public ::testing::Test {
  protected:
    LayoutFixture() : layout(form, kBase, false) {
        form.resize(1100, 800);
        layout.InitSensors();
    }

    // A placed frame of w x h pixels at a window position given in twips.
    PictureBox& Place(int sensor, float left, float top, int w, int h) {
        PictureBox& frame = *layout.picPressSens[sensor];
        frame.Move(left, top, static_cast<float>(w * 15), static_cast<float>(h * 15));
        frame.canvas().setBackColor(kWhite);
        frame.show();
        return frame;
    }

    void ShowPlate(float left, float top, int w, int h, uint32_t pictureColor) {
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(ToQColor(pictureColor));
        layout.picBaseSens->canvas().setPicture(picture);
        layout.picBaseSens->Move(left, top, static_cast<float>(w * 15), static_cast<float>(h * 15));
        layout.picBaseSens->show();
    }

    FormSurface form{nullptr};
    SensorLayout layout;
};

TEST_F(LayoutFixture, StartsWithEverySensorInTheBoxWithNumberAndOriginMark) {
    for (int i = 0; i < SensorCount; ++i) {
        const PictureBox& item = *layout.picSensor[i];
        EXPECT_TRUE(item.Visible());
        EXPECT_FLOAT_EQ(item.Top(), 60.0f + 615.0f * i);
        EXPECT_FLOAT_EQ(item.Left(), 240.0f);
        EXPECT_FLOAT_EQ(item.Width(), 555.0f);
        EXPECT_EQ(item.Tag(), "picSensor");
        EXPECT_FALSE(layout.picPressSens[i]->Visible());
        EXPECT_EQ(layout.lblNo[i]->caption(), QString::number(i + 1));
        EXPECT_EQ(layout.LabelHost(i), i);
        // 37 x 37 pixels: the rotation-0 tick stands on the bottom edge at the centre.
        EXPECT_EQ(item.canvas().pixel(18, 35), kBlack) << i;
        // The number is printed at column 1, row 1 (8, 16 pixels): some ink below and right of it.
        int ink = 0;
        for (int y = 16; y < 32; ++y) {
            for (int x = 8; x < 30; ++x) {
                ink += item.canvas().pixel(x, y) != kWhite ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 5) << "number of sensor " << i + 1;
    }
    EXPECT_EQ(layout.MergedCount, 0);
    EXPECT_EQ(layout.BaseIndex, -1);
    EXPECT_EQ(layout.SensorRotation[16], 0);
    EXPECT_FALSE(layout.SensorMerged[16]);
}

TEST_F(LayoutFixture, OriginTickSitsOnTheEdgeWhereYIsZeroForEachRotation) {
    PictureBox& frame = Place(2, 3000, 3000, 40, 30);
    struct Case {
        int16_t rotation;
        int inkX, inkY;      // a pixel inside the tick
        int clearX, clearY;  // a pixel just beyond its inner end
    };
    // 0: (20,30)-(20,25); 90: (40,15)-(35,15); 180: (20,0)-(20,5); 270: (0,15)-(5,15).
    const Case cases[] = {
        {0, 20, 27, 20, 22}, {90, 37, 15, 32, 15}, {180, 20, 2, 20, 8}, {270, 2, 15, 8, 15}};
    for (const Case& c : cases) {
        frame.canvas().cls();
        DrawOrgMark(frame, c.rotation, kBlack);
        EXPECT_EQ(frame.canvas().pixel(c.inkX, c.inkY), kBlack) << c.rotation;
        EXPECT_EQ(frame.canvas().pixel(c.clearX, c.clearY), kWhite) << c.rotation;
    }
    // Any other rotation draws a dot at the origin only: the bottom edge stays clear.
    frame.canvas().cls();
    DrawOrgMark(frame, 45, kBlack);
    EXPECT_EQ(frame.canvas().pixel(20, 27), kWhite);
}

TEST_F(LayoutFixture, HalfPixelMiddleRoundsToTheEvenNeighbour) {
    // 41 pixels wide: the middle 20.5 rounds to 20, so the 2-pixel tick covers columns 19 and 20.
    PictureBox& frame = Place(3, 3000, 3000, 41, 30);
    frame.canvas().cls();
    DrawOrgMark(frame, 0, kBlack);
    EXPECT_EQ(frame.canvas().pixel(19, 28), kBlack);
    EXPECT_EQ(frame.canvas().pixel(20, 28), kBlack);
    EXPECT_EQ(frame.canvas().pixel(21, 28), kWhite);
}

TEST_F(LayoutFixture, OriginMarkIgnoresControlsThatAreNotSensors) {
    PictureBox& image = *layout.picBase[0];
    image.canvas().setBackColor(kWhite);
    DrawOrgMark(image, 0, kBlack);
    for (int y = 0; y < image.canvas().pixelHeight(); ++y) {
        for (int x = 0; x < image.canvas().pixelWidth(); ++x) {
            ASSERT_EQ(image.canvas().pixel(x, y), kWhite);
        }
    }
}

TEST(FrameColor, HalfWayToWhitePerChannel) {
    EXPECT_EQ(GetFrameColor(0x000000), 0x7F7F80u);
    EXPECT_EQ(GetFrameColor(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(GetFrameColor(0x808080), 0xBFBFC0u);
}

TEST_F(LayoutFixture, FramesAreOutlinedOnThePlateOnlyWhileFramesAreShown) {
    ShowPlate(3000, 1500, 200, 150, 0x00FF00);
    Place(0, 3000 + 30 * 15, 1500 + 40 * 15, 37, 37);
    Place(1, 3000 + 120 * 15, 1500 + 40 * 15, 37, 37);
    layout.picPressSens[1]->hide();
    const Canvas& plate = layout.picBaseSens->canvas();
    const uint32_t frameColor = GetFrameColor(kBase);

    DrawSensorFrames(layout, true);
    EXPECT_EQ(plate.pixel(30, 60), frameColor);  // left edge of sensor 1's outline
    EXPECT_EQ(plate.pixel(50, 40), frameColor);  // top edge
    EXPECT_EQ(plate.pixel(50, 60), 0x00FF00u);   // inside: the picture
    EXPECT_EQ(plate.pixel(120, 60), 0x00FF00u);  // a hidden frame is not outlined

    DrawSensorFrames(layout, false);
    EXPECT_EQ(plate.pixel(30, 60), 0x00FF00u);
    EXPECT_EQ(plate.pixel(50, 40), 0x00FF00u);
}

}  // namespace
}  // namespace korvi

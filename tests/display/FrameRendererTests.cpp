// The frame renderer at its own interface: marks put straight into a trace ring, pending work
// told to the renderer as the press rules tell it, the surfaces read back pixel by pixel.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTest>

#include "display/Footprints.h"
#include "display/FrameRenderer.h"
#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

class FrameRendering : public ::testing::Test {
  protected:
    FrameRendering() {
        layout.InitSensors();
        // 101..255 give blue dots of radius 4.
        setting.PressColorTable = {{101, 255, static_cast<int32_t>(kBlue), 4}};
        setting.PressThresh = 10;
        ring.Resize(5);
        ShowBox(layout, 0, 3000, 3000, 40, 30, 0);
    }
    uint32_t PlatePixel(int x, int y) const { return layout.picBaseSens->canvas().pixel(x, y); }

    FormSurface form{nullptr};
    SensorLayout layout{form, kPlateColor, false};
    DrawSetting setting;
    Footprints footprints{layout};
    MarkStyle style{setting, footprints, false};
    TraceRing ring;
    FrameRenderer renderer{layout, style, ring, footprints};
};

TEST_F(FrameRendering, PendingSceneLandsWithinAFrameAndNotBeforeIt) {
    ShowPlate(layout);
    int repaints = 0;
    layout.picBaseSens->canvas().setChangedCallback([&repaints] { ++repaints; });
    for (int n = 0; n < 200; ++n) {
        ring.Store(0, PressMark{static_cast<float>(n % 40), 15, 150, 4, kBlue, 0});
        renderer.PendTraceScene(1u, true, 0);
        renderer.ScheduleFrame();
    }
    EXPECT_EQ(repaints, 0);
    const QDeadlineTimer deadline(250);  // a frame comes many times within it
    while (repaints == 0 && !deadline.hasExpired()) {
        QTest::qWait(1);
    }
    EXPECT_EQ(repaints, 1);
}

TEST_F(FrameRendering, SceneMarksUnderAPanelShowWhenThePanelIsHiddenWithNoFrameAfter) {
    // Panel 0 (40 x 30 pixels) lies on the plate at pixels (100, 100) of the plate, whose own
    // corner is at (100, 100) of the window. A mark at the panel's centre shows on the plate
    // too, under the panel.
    ShowPlate(layout);
    form.resize(500, 400);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ring.Store(0, PressMark{20, 15, 150, 4, kBlue, 0});
    renderer.PendTraceScene(1u, true, 0);
    renderer.Flush();
    QTest::qWait(3 * FrameRenderer::kFrameMs);
    const Canvas& plate = layout.picBaseSens->canvas();
    ASSERT_NE(plate.currentImage().pixel(120, 115) & 0xFFFFFF, 0x0000FFu)
        << "the mark should still be left out under the panel";

    // Hiding the panel uncovers it: the repaint shows it without any frame or read-back.
    layout.picPressSens[0]->hide();
    QTest::qWait(3 * FrameRenderer::kFrameMs);
    EXPECT_EQ(plate.currentImage().pixel(120, 115) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(form.grab().toImage().pixel(220, 215) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(FrameRendering, PlateDotsRepaintTheBackgroundWhenThePlatePictureChanges) {
    // The kept background stands for the picture it was painted from only.
    ShowPlate(layout);
    renderer.PendPlateDots(0, PressMark{});
    renderer.Flush();
    ASSERT_EQ(PlatePixel(50, 50), kPlatePicture);
    ShowPlate(layout, 0x3080C0);
    renderer.PendPlateDots(0, PressMark{});
    renderer.Flush();
    EXPECT_EQ(PlatePixel(50, 50), 0x3080C0u);
}

}  // namespace
}  // namespace korvi::test

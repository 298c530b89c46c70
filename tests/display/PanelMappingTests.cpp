#include <gtest/gtest.h>

#include "display/PanelMapping.h"

namespace korvi {
namespace {

struct CornerCase {
    int16_t rotation;
    int16_t x, y;
    int16_t px, py;
};

TEST(PanelMapping, RawCornersLandOnThePanelCornersForEachRotation) {
    // A 41 x 31 pixel panel.
    const CornerCase cases[] = {
        {0, 0, 0, 0, 31},
        {0, 4095, 4095, 41, 0},
        {0, 4095, 0, 41, 31},
        {90, 0, 0, 41, 31},
        {90, 4095, 0, 41, 0},
        {90, 0, 4095, 0, 31},
        {180, 0, 0, 41, 0},
        {180, 4095, 4095, 0, 31},
        {270, 0, 0, 0, 0},
        {270, 4095, 0, 0, 31},
        {270, 0, 4095, 41, 0},
        // Any other rotation maps like rotation 0.
        {45, 0, 0, 0, 31},
        {-90, 4095, 4095, 41, 0},
    };
    for (const CornerCase& c : cases) {
        const PanelPoint p = MapToPanel(c.rotation, c.x, c.y, 41, 31);
        EXPECT_EQ(p.x, c.px) << "rotation " << c.rotation << " raw " << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.py) << "rotation " << c.rotation << " raw " << c.x << "," << c.y;
    }
}

TEST(PanelMapping, MiddleOfTheRangeRoundsToTheNearestPixel) {
    // 2048 of 4095 on 40 pixels is 20.005; on 30 pixels 15.004, so Y lands at 30 - 15 = 15.
    const PanelPoint p = MapToPanel(0, 2048, 2048, 40, 30);
    EXPECT_EQ(p.x, 20);
    EXPECT_EQ(p.y, 15);
}

TEST(PanelMapping, HalfPixelResultsRoundToTheEvenNeighbour) {
    // Extents whose scale factor is exactly 2.5 and 3.5 pixels per raw step.
    const double w25 = 4095 * 2.5;
    const double w35 = 4095 * 3.5;
    EXPECT_EQ(MapToPanel(0, 1, 0, w25, 10).x, 2);
    EXPECT_EQ(MapToPanel(0, 1, 0, w35, 10).x, 4);
    EXPECT_EQ(MapToPanel(0, 3, 0, w25, 10).x, 8);  // 7.5
    // Rotation 0 Y: H - 4094 * 2.5 = 2.5; rotation 180 X: W - 4092 * 3.5 = 10.5.
    EXPECT_EQ(MapToPanel(0, 0, 4094, 10, w25).y, 2);
    EXPECT_EQ(MapToPanel(180, 4092, 0, w35, 10).x, 10);
    EXPECT_EQ(MapToPanel(270, 0, 1, w35, 10).x, 4);
    EXPECT_EQ(MapToPanel(90, 4094, 0, 10, w25).y, 2);
}

}  // namespace
}  // namespace korvi

#include <gtest/gtest.h>

#include "display/PanelMapping.h"
#include "display/PressLookup.h"

namespace korvi {
namespace {

TEST(PressLookup, FirstMatchingBandWinsAndUncoveredPressuresGiveNothing) {
    const std::vector<PressColorEntry> table = {{1, 50, 0x0000FF, 3}, {40, 255, 0xFF0000, 7}};
    EXPECT_EQ(GetPressColor(table, 45), 0x0000FFu);
    EXPECT_EQ(GetPressRadius(table, 45), 3);
    EXPECT_EQ(GetPressColor(table, 51), 0xFF0000u);
    EXPECT_EQ(GetPressRadius(table, 51), 7);
    for (int16_t pressure : {int16_t{0}, int16_t{300}}) {
        EXPECT_EQ(GetPressColor(table, pressure), 0u);
        EXPECT_EQ(GetPressRadius(table, pressure), 0);
    }
    EXPECT_EQ(GetPressColor({}, 120), 0u);
    EXPECT_EQ(GetPressRadius({}, 120), 0);
}

TEST(PanelMapping, HalfPixelResultsRoundToTheEvenNeighbour) {
    // Extents whose scale factor is exactly 2.5 and 3.5 pixels per raw step.
    const double w25 = 4095 * 2.5;
    const double w35 = 4095 * 3.5;
    EXPECT_EQ(MapToPanel(0, 1, 0, w25, 10).x, 2);
    EXPECT_EQ(MapToPanel(0, 1, 0, w35, 10).x, 4);
    EXPECT_EQ(MapToPanel(0, 0, 4094, 10, w25).y, 2);     // H - 4094 * 2.5 = 2.5
    EXPECT_EQ(MapToPanel(180, 4092, 0, w35, 10).x, 10);  // W - 4092 * 3.5 = 10.5
    EXPECT_EQ(MapToPanel(270, 0, 1, w35, 10).x, 4);
}

}  // namespace
}  // namespace korvi

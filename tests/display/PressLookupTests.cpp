#include <gtest/gtest.h>

#include "display/PressLookup.h"

namespace korvi {
namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;

TEST(PressLookup, OverlappingBandsAreResolvedByTheLowerIndex) {
    const std::vector<PressColorEntry> table = {{1, 50, static_cast<int32_t>(kRed), 3},
                                                {40, 255, static_cast<int32_t>(kBlue), 7}};
    EXPECT_EQ(GetPressColor(table, 45), kRed);
    EXPECT_EQ(GetPressRadius(table, 45), 3);
    EXPECT_EQ(GetPressColor(table, 50), kRed);
    EXPECT_EQ(GetPressColor(table, 51), kBlue);
    EXPECT_EQ(GetPressRadius(table, 51), 7);
    EXPECT_EQ(GetPressColor(table, 255), kBlue);
}

TEST(PressLookup, UncoveredPressureOrEmptyTableGivesBlackAndNoRadius) {
    const std::vector<PressColorEntry> table = {{1, 50, static_cast<int32_t>(kRed), 3},
                                                {100, 255, static_cast<int32_t>(kBlue), 7}};
    for (int16_t pressure : {int16_t{0}, int16_t{75}, int16_t{300}, int16_t{-1}}) {
        EXPECT_EQ(GetPressColor(table, pressure), 0u) << pressure;
        EXPECT_EQ(GetPressRadius(table, pressure), 0) << pressure;
    }
    const std::vector<PressColorEntry> empty;
    EXPECT_EQ(GetPressColor(empty, 120), 0u);
    EXPECT_EQ(GetPressRadius(empty, 120), 0);
}

}  // namespace
}  // namespace korvi

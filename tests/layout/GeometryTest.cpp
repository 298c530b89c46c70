// The pure geometry of layout editing: overlap resolution and the rotation step.
#include <gtest/gtest.h>

#include "layout/AvoidOverlap.h"
#include "layout/Rotation.h"

namespace korvi {
namespace {

TEST(AvoidOverlap, PushesAlongTheAxisOfSmallerOverlapInOnePass) {
    const FrameRect other{1000, 1000, 555, 555};
    const float big = 16777216.0f;  // 2^24
    const struct {
        const char* what;
        FrameRect frame;
        std::vector<FrameRect> others;
        float left, top;
    } cases[] = {
        {"below (95 down, 455 across)", {1100, 1460, 555, 555}, {other}, 1100, 1555},
        {"above", {1100, 500, 555, 555}, {other}, 1100, 445},
        {"right (55 across, 455 down)", {1500, 1100, 555, 555}, {other}, 1555, 1100},
        {"left", {500, 1100, 555, 555}, {other}, 445, 1100},
        {"equal overlaps go vertical", {1455, 1455, 555, 555}, {other}, 1455, 1555},
        // The other spans the frame vertically (overlap = the frame's 100) against 150 across.
        {"spanning", {850, 1200, 300, 100}, {other}, 850, 1555},
        // The other lies within the frame's vertical span; its overlap counts from its top to
        // the frame's bottom (400), more than the 100 across its right edge.
        {"contained", {0, 0, 600, 600}, {{500, 200, 300, 100}}, -100, 0},
        {"touching side", {1555, 1100, 555, 555}, {other}, 1555, 1100},
        {"touching top", {1100, 445, 555, 555}, {other}, 1100, 445},
        {"touching corner", {1555, 1555, 100, 100}, {other}, 1555, 1555},
        {"apart", {3000, 3000, 555, 555}, {other}, 3000, 3000},
        // Pushed right off the second rectangle onto the first, which is not looked at again.
        {"one pass", {1500, 1000, 555, 555}, {{1700, 1000, 555, 555}, other}, 1555, 1000},
        // 2^24 - 2 + 2.6 is 2^24 in single precision: a horizontal overlap of 0 beats the
        // vertical 0.5 and the frame stays; in double precision it would go down half a twip.
        {"single precision", {big, 0, 10, 10}, {{big - 2, -1, 2.6f, 1.5f}}, big, 0},
    };
    for (const auto& c : cases) {
        const FrameRect r = AvoidOverlapRect(c.frame, c.others);
        EXPECT_EQ(std::vector<float>({r.Left, r.Top, r.Width, r.Height}),
                  std::vector<float>({c.left, c.top, c.frame.Width, c.frame.Height}))
            << c.what;
    }
}

TEST(Rotation, QuarterTurnsKeepTheSignOfTheDividendWithoutOverflow) {
    const std::pair<int16_t, int16_t> cases[] = {{270, 0},     {-90, 0},    {450, 180},
                                                 {-200, -110}, {32767, 97}, {-32768, -278}};
    for (const auto& [from, to] : cases) {
        EXPECT_EQ(NextRotation(from), to) << from;
    }
    EXPECT_EQ(NormalisedRotation(-90), 270);
    EXPECT_EQ(NormalisedRotation(45), std::nullopt);
}

}  // namespace
}  // namespace korvi

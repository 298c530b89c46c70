// The pure geometry of layout editing: overlap resolution, handle placement, the resize rule and
// the rotation step.
#include <gtest/gtest.h>

#include "layout/AvoidOverlap.h"
#include "layout/Rotation.h"
#include "layout/StretchHandles.h"

namespace korvi {
namespace {

FrameRect R(float l, float t, float w, float h) {
    return {l, t, w, h};
}

void ExpectAt(const FrameRect& r, float left, float top) {
    EXPECT_EQ(r.Left, left);
    EXPECT_EQ(r.Top, top);
}

TEST(AvoidOverlap, PushesAlongTheAxisOfSmallerOverlap) {
    const FrameRect other = R(1000, 1000, 555, 555);
    // Overlapping the bottom of the other: 95 down, 455 across -> below it.
    ExpectAt(AvoidOverlapRect(R(1100, 1460, 555, 555), {other}), 1100, 1555);
    // Overlapping its top: above it.
    ExpectAt(AvoidOverlapRect(R(1100, 500, 555, 555), {other}), 1100, 1000 - 555);
    // Overlapping its right side by 55 and vertically by 455: to its right.
    ExpectAt(AvoidOverlapRect(R(1500, 1100, 555, 555), {other}), 1555, 1100);
    // Overlapping its left side: to its left.
    ExpectAt(AvoidOverlapRect(R(500, 1100, 555, 555), {other}), 1000 - 555, 1100);
    // Equal overlaps go vertical.
    ExpectAt(AvoidOverlapRect(R(1455, 1455, 555, 555), {other}), 1455, 1555);
}

TEST(AvoidOverlap, SpanningAndContainedRectanglesAreMeasuredByTheirOwnRules) {
    // The other spans the frame vertically (overlap = frame height 100) and overlaps 150
    // horizontally: pushed below the tall rectangle.
    ExpectAt(AvoidOverlapRect(R(850, 1200, 300, 100), {R(1000, 1000, 555, 555)}), 850, 1555);
    // The other lies within the frame's vertical span; its overlap counts from its top to the
    // frame's bottom (400), more than the 100 across its right edge: pushed left of it.
    ExpectAt(AvoidOverlapRect(R(0, 0, 600, 600), {R(500, 200, 300, 100)}), -100, 0);
}

TEST(AvoidOverlap, TouchingEdgesAndSeparateFramesStayPut) {
    const FrameRect other = R(1000, 1000, 555, 555);
    ExpectAt(AvoidOverlapRect(R(1555, 1100, 555, 555), {other}), 1555, 1100);
    ExpectAt(AvoidOverlapRect(R(1100, 445, 555, 555), {other}), 1100, 445);
    ExpectAt(AvoidOverlapRect(R(1555, 1555, 100, 100), {other}), 1555, 1555);
    ExpectAt(AvoidOverlapRect(R(3000, 3000, 555, 555), {other}), 3000, 3000);
    const FrameRect sized = AvoidOverlapRect(R(1100, 1100, 300, 200), {other});
    EXPECT_EQ(sized.Width, 300);
    EXPECT_EQ(sized.Height, 200);
}

TEST(AvoidOverlap, MakesOnePassSoAPushIntoAnEarlierFrameStays) {
    // Pushed right off the second rectangle, the frame lands on the first, which was already
    // passed and is not looked at again.
    const FrameRect first = R(1700, 1000, 555, 555);
    const FrameRect second = R(1000, 1000, 555, 555);
    ExpectAt(AvoidOverlapRect(R(1500, 1000, 555, 555), {first, second}), 1555, 1000);
}

TEST(AvoidOverlap, ComparesSumsInSinglePrecision) {
    // 2^24 - 2 + 2.6 is 2^24 + 0.6 exactly but 2^24 in single precision: the horizontal overlap is
    // 0, less than the vertical 0.5, so the "push" is sideways onto the same Left, and the frame
    // stays. In double precision it would have gone down by half a twip.
    const float big = 16777216.0f;
    const FrameRect other = R(big - 2, -1, 2.6f, 1.5f);
    ExpectAt(AvoidOverlapRect(R(big, 0, 10, 10), {other}), big, 0);
}

TEST(StretchHandles, ResizeMovesTheHandlesEdgesAndKeepsTheOppositeOnes) {
    const FrameRect t = R(1000, 1000, 555, 555);
    const FrameRect r0 = ResizeByHandle(0, t, 900, 950);
    EXPECT_EQ(r0.Left, 900);
    EXPECT_EQ(r0.Top, 950);
    EXPECT_EQ(r0.Width, 655);
    EXPECT_EQ(r0.Height, 605);

    // Edge-middle handles move one edge only.
    const FrameRect r1 = ResizeByHandle(1, t, 5000, 1200);
    EXPECT_EQ(r1.Left, 1000);
    EXPECT_EQ(r1.Width, 555);
    EXPECT_EQ(r1.Top, 1200);
    EXPECT_EQ(r1.Height, 355);
    const FrameRect r7 = ResizeByHandle(7, t, 1200, 5000);
    EXPECT_EQ(r7.Left, 1200);
    EXPECT_EQ(r7.Width, 355);
    EXPECT_EQ(r7.Height, 555);
}

TEST(StretchHandles, APointerOnOrBeyondTheOppositeEdgeNeverFlipsTheTarget) {
    const FrameRect t = R(1000, 1000, 555, 555);
    for (float px : {1000.0f, 900.0f}) {
        const FrameRect r3 = ResizeByHandle(3, t, px, 0);
        EXPECT_EQ(r3.Left, 1000);
        EXPECT_EQ(r3.Width, 555);
    }
    const FrameRect r0 = ResizeByHandle(0, t, 1555, 1600);
    EXPECT_EQ(r0.Left, 1000);
    EXPECT_EQ(r0.Width, 555);
    EXPECT_EQ(r0.Top, 1000);
    EXPECT_EQ(r0.Height, 555);
}

TEST(Rotation, QuarterTurnsCycleAndKeepTheSignOfTheDividend) {
    EXPECT_EQ(NextRotation(0), 90);
    EXPECT_EQ(NextRotation(90), 180);
    EXPECT_EQ(NextRotation(180), 270);
    EXPECT_EQ(NextRotation(270), 0);
    EXPECT_EQ(NextRotation(-90), 0);
    EXPECT_EQ(NextRotation(450), 180);
    EXPECT_EQ(NextRotation(-200), -110);
    // No 16-bit overflow at the ends of the range.
    EXPECT_EQ(NextRotation(32767), 97);
    EXPECT_EQ(NextRotation(-32768), -278);
}

TEST(Rotation, StoredRotationsAreMultiplesOfNinetyBroughtIntoRange) {
    EXPECT_EQ(NormalisedRotation(270), 270);
    EXPECT_EQ(NormalisedRotation(-90), 270);
    EXPECT_EQ(NormalisedRotation(450), 90);
    EXPECT_EQ(NormalisedRotation(-720), 0);
    EXPECT_EQ(NormalisedRotation(45), std::nullopt);
    EXPECT_EQ(NormalisedRotation(1), std::nullopt);
}

}  // namespace
}  // namespace korvi

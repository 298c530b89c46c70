// Resizing the selection by dragging its handles, with the pointer's whole path given to the
// window: the handles hide as the stretch begins, the edges follow the held button, the release
// ends the stretch by what lies under the pointer, and the bare pointer moves nothing afterwards.
#include <gtest/gtest.h>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

using Rect = std::array<float, 4>;  // Left, Top, Width, Height in twips

// A placed sensor's frame selected, one of its handles pressed and pulled slowly to `to`.
void Pull(EditorFixture& f, int sensor, int handle, QPointF to) {
    f.click(&f.frame(sensor), QPoint(28, 28));
    f.mouse().press(f.on(f.l().picStretchPtr[handle], QPointF(2, 2)));
    f.mouse().glide(to, 2);
}

// Dark pixels in the character cell at column 1, row 1 (8 x 16 pixels from 8, 16).
int InkOfFirstCell(const Canvas& c) {
    int ink = 0;
    for (int y = 16; y < 32; ++y) {
        for (int x = 8; x < 16; ++x) {
            ink += c.pixel(x, y) == kBlack ? 1 : 0;
        }
    }
    return ink;
}

TEST(StretchEnd, ReleasedOverAnotherFrameTheStretchedFrameIsPushedClear) {
    EditorFixture f;
    f.place(0, QPoint(200, 100));  // 3000, 1500
    f.place(1, QPoint(300, 160));  // 4500, 2400 to 5055, 2955
    // Pulled to 4875, 2850 over frame 2 (clear of its number): it overlaps frame 2 by 375 across
    // and 450 down, so it goes left.
    Pull(f, 0, 4, QPointF(325, 190));
    EXPECT_EQ(Geometry(f.frame(0)), (Rect{3000, 1500, 1875, 1350}));
    EXPECT_FALSE(f.anyHandleShown());
    f.mouse().release(QPointF(325, 190));
    EXPECT_EQ(Geometry(f.frame(0)), (Rect{4500 - 1875, 1500, 1875, 1350}));
    EXPECT_EQ(Geometry(f.frame(1)), (Rect{4500, 2400, 555, 555}));
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_FALSE(f.anyHandleShown());
    // Redrawn at the new size: the origin tick in the middle of the new bottom edge (a 125 x 90
    // pixel frame, its drawing 123 x 88), no number printed.
    EXPECT_EQ(f.frame(0).canvas().pixel(62, 87), kBlack);
    EXPECT_EQ(InkOfFirstCell(f.frame(0).canvas()), 0);
}

TEST(StretchEnd, ReleasedOverThePlateTheNumberIsPrintedAndOverlapsStay) {
    EditorFixture f{true, {2}};
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(405, 305));  // plate 6000, 4500
    PictureBox& plate = *f.l().picBaseSens;
    plate.Move(1500, 750, 9000, 7500);  // pixels 100 to 699, 50 to 549
    f.place(0, QPoint(200, 100));
    f.place(1, QPoint(300, 160));
    Pull(f, 0, 4, QPointF(400, 250));
    f.mouse().release(QPointF(400, 250));
    EXPECT_EQ(Geometry(f.frame(0)), (Rect{3000, 1500, 3000, 2250}));
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_FALSE(f.anyHandleShown());
    // The bare pointer wandering over the window afterwards resizes nothing.
    f.mouse().glide(QPointF(600, 500), 7);
    f.mouse().glide(QPointF(150, 120), 7);
    EXPECT_EQ(Geometry(f.frame(0)), (Rect{3000, 1500, 3000, 2250}));
    EXPECT_GT(InkOfFirstCell(f.frame(0).canvas()), 3);
    EXPECT_EQ(f.frame(0).canvas().pixel(99, 147), kBlack);  // tick of the 198 x 148 drawing
}

}  // namespace
}  // namespace korvi::test

// Resizing the selection by dragging its handles, and the rotation command with its origin tick
// read back from the frame's pixels.
#include <gtest/gtest.h>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

// Selects a 555 x 555 frame of sensor 1 at (left, top) twips, presses handle h, moves over it
// (which hides the handles, as a real drag does), then through the given points of the window
// background (pixels) and releases at the last.
void Stretch(EditorFixture& f, float left, float top, int h, std::initializer_list<QPointF> path) {
    f.frame(0).Move(left, top, 555, 555);
    f.frame(0).show();
    f.click(&f.frame(0), QPoint(20, 20));
    PictureBox* handle = f.l().picStretchPtr[h];
    EditorFixture::Send(handle, QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton,
                        Qt::LeftButton);
    EditorFixture::Send(handle, QEvent::MouseMove, QPointF(3, 3), Qt::NoButton, Qt::LeftButton);
    QPointF last;
    for (QPointF p : path) {
        last = f.inWidget(handle, p);
        EditorFixture::Send(handle, QEvent::MouseMove, last, Qt::NoButton, Qt::LeftButton);
    }
    EditorFixture::Send(handle, QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
}

TEST(Stretching, TopLeftHandleFollowsThePointerAndTheFrameIsRedrawn) {
    EditorFixture f;
    Stretch(f, 3000, 1000, 0, {QPointF(2900 / 15.0, 950 / 15.0)});
    const PictureBox& frame = f.frame(0);
    EXPECT_EQ(frame.Left(), 2900);
    EXPECT_EQ(frame.Top(), 950);
    EXPECT_EQ(frame.Width(), 655);
    EXPECT_EQ(frame.Height(), 605);
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_FALSE(f.shown(f.l().picStretchPtr[0]));
    // Redrawn at the new size: origin tick in the middle of the new bottom edge.
    EXPECT_EQ(frame.canvas().pixel(22, 38), kBlack);
}

TEST(Stretching, RightHandleDraggedPastTheLeftEdgeNeverFlipsTheFrame) {
    EditorFixture f;
    // Below the number label, which takes no part in a resize.
    Stretch(f, 3000, 1050, 3, {QPointF(210, 100), QPointF(190, 100), QPointF(180, 100)});
    EXPECT_EQ(f.frame(0).Left(), 3000);
    EXPECT_EQ(f.frame(0).Width(), 150);
    EXPECT_EQ(f.frame(0).Height(), 555);
}

TEST(Rotating, FourCommandsCycleTheOriginTickRoundTheFrame) {
    EditorFixture f;
    f.place(6, QPoint(300, 200));
    f.click(&f.frame(6), QPoint(20, 20));
    const Canvas& c = f.frame(6).canvas();
    // Ticks of a 37 x 37 pixel frame: bottom, right, top, left middles.
    const QPoint tick[4] = {{18, 35}, {35, 18}, {18, 1}, {1, 18}};
    const int16_t expected[4] = {90, 180, 270, 0};
    for (int n = 0; n < 4; ++n) {
        f.editor->cmdRotate_Click();
        EXPECT_EQ(f.l().SensorRotation[6], expected[n]);
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(c.pixel(tick[t].x(), tick[t].y()), t == (n + 1) % 4 ? kBlack : kWhite)
                << "after command " << n + 1 << ", tick " << t;
        }
    }
}

TEST(Rotating, DoesNothingWithThePlateOrNothingSelected) {
    EditorFixture f(true, {2});
    f.place(6, QPoint(300, 200));
    f.click(&f.frame(6), QPoint(20, 20));
    f.click(f.form, QPoint(600, 600));
    f.editor->cmdRotate_Click();
    EXPECT_EQ(f.l().SensorRotation[6], 0);

    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(600, 400));
    f.click(f.l().picBaseSens);
    f.editor->cmdRotate_Click();
    EXPECT_EQ(f.l().SensorRotation[6], 0);
    EXPECT_EQ(f.l().StretchTarget, f.l().picBaseSens);
}

}  // namespace
}  // namespace korvi::test

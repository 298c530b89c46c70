// Resizing the selection by dragging its handles, how a stretch finishes on each kind of
// control, and the rotation command with its origin tick read back from the frame's pixels.
#include <gtest/gtest.h>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

class Stretching : public ::testing::Test {
  protected:
    void put(int i, float left, float top) {
        f.frame(i).Move(left, top, 555, 555);
        f.frame(i).show();
        DrawOrgMark(f.frame(i), 0, kBlack);
    }
    void select(int i) { QTest::mouseClick(&f.frame(i), Qt::LeftButton, {}, QPoint(20, 20)); }
    // Presses handle h, moves over it (which hides the handles, as a real drag does), then
    // through the given points of the window background (pixels) and releases at the last.
    void stretch(int h, std::initializer_list<QPointF> path) {
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
    bool handlesHidden() {
        return std::none_of(f.l().picStretchPtr.begin(), f.l().picStretchPtr.end(),
                            [this](PictureBox* h) { return h->isVisibleTo(&f.window); });
    }
    EditorFixture f{true, {2}};
};

TEST_F(Stretching, TopLeftHandleFollowsThePointerOverTheBackground) {
    put(0, 3000, 1000);
    select(0);
    stretch(0, {EditorFixture::Px(2900, 950)});
    PictureBox& frame = f.frame(0);
    EXPECT_EQ(frame.Left(), 2900);
    EXPECT_EQ(frame.Top(), 950);
    EXPECT_EQ(frame.Width(), 655);
    EXPECT_EQ(frame.Height(), 605);
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_TRUE(handlesHidden());
    // Redrawn at the new size: origin tick in the middle of the new bottom edge.
    EXPECT_EQ(frame.canvas().pixel(22, 38), kBlack);
}

TEST_F(Stretching, RightHandleDraggedPastTheLeftEdgeNeverFlipsTheFrame) {
    put(0, 3000, 1050);
    select(0);
    // Below the number label, which takes no part in a resize.
    stretch(3, {QPointF(210, 100), QPointF(190, 100), QPointF(180, 100)});
    EXPECT_EQ(f.frame(0).Left(), 3000);
    EXPECT_EQ(f.frame(0).Width(), 150);
    EXPECT_EQ(f.frame(0).Height(), 555);
}

TEST_F(Stretching, ReleasedOverAnotherFrameTheResizedFrameIsPushedClear) {
    put(0, 3000, 1050);
    put(1, 4200, 1050);
    select(0);
    stretch(3, {QPointF(290, 100)});
    EXPECT_EQ(f.frame(0).Width(), 1350);
    EXPECT_EQ(f.frame(0).Left(), 4200 - 1350);
    EXPECT_EQ(f.frame(0).Top(), 1050);
}

TEST_F(Stretching, ReleasedOverThePlateTheFrameShowsItsNumberPrinted) {
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(400, 300));
    put(3, 3000, 1050);
    select(3);
    stretch(4, {QPointF(410, 310)});
    EXPECT_EQ(f.frame(3).Width(), 6150 - 3000);
    const Canvas& canvas = f.frame(3).canvas();
    bool printed = false;
    for (int y = 16; y < 36 && !printed; ++y) {
        for (int x = 8; x < 30 && !printed; ++x) {
            printed = canvas.pixel(x, y) != kWhite;
        }
    }
    EXPECT_TRUE(printed);
    EXPECT_EQ(f.l().StretchTarget, nullptr);
}

TEST_F(Stretching, StretchedPlateIsRepaintedAtItsNewSize) {
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(400, 300));
    PictureBox& plate = *f.l().picBaseSens;
    QTest::mouseClick(&plate, Qt::LeftButton, {}, QPoint(10, 10));
    stretch(4, {QPointF(600, 500)});
    EXPECT_EQ(plate.Width(), 9000 - 5925);
    EXPECT_EQ(plate.Height(), 7500 - 4425);
    EXPECT_EQ(plate.canvas().pixel(200, 200), FromQColor(BasePicture(2).pixelColor(0, 0)));
    // A plate target stays selected over the background, with its handles hidden.
    EXPECT_EQ(f.l().StretchTarget, &plate);
    EXPECT_TRUE(handlesHidden());
}

TEST_F(Stretching, DraggingAnythingAcrossTheHandlesHidesThemAndClearsTheFrame) {
    put(0, 3000, 1050);
    select(0);
    PictureBox* item = &f.item(5);
    PictureBox* handle = f.l().picStretchPtr[4];
    const QPointF overHandle = f.inWidget(item, QPointF(handle->x() + 2, handle->y() + 2));
    QTest::mousePress(item, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(item, QPoint(4, 4));
    QTest::mouseMove(item, overHandle.toPoint());
    EXPECT_TRUE(handlesHidden());
    EXPECT_EQ(f.l().StretchTarget, &f.frame(0));
    EXPECT_EQ(f.frame(0).canvas().pixel(18, 35), kWhite);
    QTest::mouseRelease(item, Qt::LeftButton, {}, QPoint(4, 4));  // back on the palette
    EXPECT_EQ(f.l().StretchTarget, &f.frame(0));
}

TEST(Rotating, FourCommandsCycleTheOriginTickRoundTheFrame) {
    EditorFixture f;
    f.place(6, QPoint(300, 200));
    QTest::mouseClick(&f.frame(6), Qt::LeftButton, {}, QPoint(20, 20));
    const Canvas& c = f.frame(6).canvas();
    // Ticks of a 37 x 37 pixel frame: bottom, right, top, left middles.
    const QPoint tick[4] = {{18, 35}, {35, 18}, {18, 1}, {1, 18}};
    const int16_t expected[4] = {90, 180, 270, 0};
    for (int n = 0; n < 4; ++n) {
        f.editor->cmdRotate_Click();
        EXPECT_EQ(f.l().SensorRotation[6], expected[n]);
        const int shown = (n + 1) % 4;
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(c.pixel(tick[t].x(), tick[t].y()), t == shown ? kBlack : kWhite)
                << "after command " << n + 1 << ", tick " << t;
        }
        EXPECT_EQ(f.frame(6).Width(), 555);
        EXPECT_EQ(f.frame(6).Height(), 555);
    }
}

TEST(Rotating, DoesNothingWithThePlateOrNothingSelected) {
    EditorFixture f(true, {2});
    f.place(6, QPoint(300, 200));
    QTest::mouseClick(&f.frame(6), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(f.form, Qt::LeftButton, {}, QPoint(600, 600));
    f.editor->cmdRotate_Click();
    EXPECT_EQ(f.l().SensorRotation[6], 0);

    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(600, 400));
    QTest::mouseClick(f.l().picBaseSens, Qt::LeftButton, {}, QPoint(10, 10));
    f.editor->cmdRotate_Click();
    EXPECT_EQ(f.l().SensorRotation[6], 0);
    EXPECT_EQ(f.l().StretchTarget, f.l().picBaseSens);
}

}  // namespace
}  // namespace korvi::test

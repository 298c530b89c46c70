// Placing, moving, pushing and returning sensors, selecting them with the stretch handles, and
// merging and un-merging numbers, all driven by mouse events on the real widgets.
#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>

#include "layout/StretchHandles.h"
#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

TEST(Placing, PaletteItemDraggedOutBecomesAFrameWithTheGrabPointUnderThePointer) {
    EditorFixture f;
    f.l().SensorRotation[4] = 180;
    f.l().LastPress[4].MarkPress = 77;
    f.dragTo(&f.item(4), QPoint(10, 6), QPointF(300, 200));

    PictureBox& frame = f.frame(4);
    EXPECT_FALSE(f.item(4).isVisibleTo(&f.window));
    EXPECT_TRUE(frame.isVisibleTo(&f.window));
    EXPECT_EQ(frame.Left(), 4500 - 150);
    EXPECT_EQ(frame.Top(), 3000 - 90);
    EXPECT_EQ(frame.Width(), 555);
    EXPECT_EQ(frame.Height(), 555);
    EXPECT_EQ(f.l().SensorRotation[4], 0);
    EXPECT_EQ(f.l().LastPress[4].MarkPress, 0);
    // Upright: the origin tick stands in the middle of the bottom edge (37 px frame).
    EXPECT_EQ(frame.canvas().pixel(18, 35), kBlack);
    EXPECT_EQ(frame.canvas().pixel(35, 18), kWhite);
    EXPECT_FALSE(f.drag->isDragging());
}

TEST(Placing, FrameMovesKeepingTheGrabPointUnderThePointer) {
    EditorFixture f;
    f.place(2, QPoint(300, 200));
    // A long move over the background and a short one that ends on the frame itself.
    f.dragTo(&f.frame(2), QPoint(5, 7), QPointF(500, 300));
    EXPECT_EQ(f.frame(2).Left(), 7500 - 75);
    EXPECT_EQ(f.frame(2).Top(), 4500 - 105);
    f.dragTo(&f.frame(2), QPoint(20, 22), QPointF(495 + 23, 293 + 26));
    EXPECT_EQ(f.frame(2).Left(), 7500 - 75 + 45);
    EXPECT_EQ(f.frame(2).Top(), 4500 - 105 + 60);
    // Moving never selects: the handles stay hidden after a real drag.
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_FALSE(f.l().picStretchPtr[0]->isVisibleTo(&f.window));
}

TEST(Placing, FrameDroppedOverlappingAnotherIsPushedAlongTheSmallerOverlap) {
    EditorFixture f;
    f.place(1, QPoint(290, 190));  // 4350, 2850
    // Dropped on the background overlapping the lower part of frame 1: more horizontal than
    // vertical overlap, so it goes below.
    f.dragTo(&f.item(5), QPoint(10, 3), QPointF(294 + 10, 220 + 3));
    EXPECT_EQ(f.frame(5).Left(), 4410);
    EXPECT_EQ(f.frame(5).Top(), 2850 + 555);

    // Dropped onto frame 1 itself towards its right edge: more vertical overlap, so it goes right.
    f.dragTo(&f.item(6), QPoint(1, 1), QPointF(321, 191));
    EXPECT_EQ(f.frame(6).Left(), 4350 + 555);
    EXPECT_EQ(f.frame(6).Top(), 2850);
}

TEST(Placing, FrameDroppedOnTheBoxReturnsItAndPlacingAgainGivesThePaletteSize) {
    EditorFixture f;
    f.place(3, QPoint(300, 200));
    f.frame(3).Move(f.frame(3).Left(), f.frame(3).Top(), 900, 700);  // stretched meanwhile
    f.dragTo(&f.frame(3), QPoint(4, 4), QPointF(40, 690));           // the box, below the items
    EXPECT_TRUE(f.item(3).isVisibleTo(&f.window));
    EXPECT_FALSE(f.frame(3).isVisibleTo(&f.window));

    f.place(3, QPoint(400, 300));
    EXPECT_EQ(f.frame(3).Width(), 555);
    EXPECT_EQ(f.frame(3).Height(), 555);
}

TEST(Placing, DropsOnControlsThatTakeNoSensorChangeNothing) {
    EditorFixture f;
    f.place(0, QPoint(300, 200));
    const float left = f.frame(0).Left();
    // A palette item dropped on the palette, and a frame dropped on the base box.
    f.dragTo(&f.item(1), QPoint(2, 2), QPointF(30, 100));
    EXPECT_TRUE(f.item(1).isVisibleTo(&f.window));
    EXPECT_FALSE(f.frame(1).isVisibleTo(&f.window));
    f.dragTo(&f.frame(0), QPoint(2, 2), QPointF(960, 600));
    EXPECT_EQ(f.frame(0).Left(), left);
    EXPECT_TRUE(f.frame(0).isVisibleTo(&f.window));
}

class Selection : public ::testing::Test {
  protected:
    void SetUp() override {
        PictureBox& frame = f.frame(7);
        frame.Move(1000, 1000, 555, 555);
        frame.show();
    }
    bool handlesShown() {
        return std::all_of(f.l().picStretchPtr.begin(), f.l().picStretchPtr.end(),
                           [this](PictureBox* h) { return h->isVisibleTo(&f.window); });
    }
    bool handlesHidden() {
        return std::none_of(f.l().picStretchPtr.begin(), f.l().picStretchPtr.end(),
                            [this](PictureBox* h) { return h->isVisibleTo(&f.window); });
    }
    EditorFixture f;
};

TEST_F(Selection, ClickWithoutMoveSelectsAndShowsTheHandlesAroundTheFrame) {
    QTest::mouseClick(&f.frame(7), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.l().StretchTarget, &f.frame(7));
    EXPECT_TRUE(handlesShown());
    EXPECT_EQ(f.l().picStretchPtr[0]->Left(), 925);
    EXPECT_EQ(f.l().picStretchPtr[0]->Top(), 925);
    EXPECT_EQ(f.l().picStretchPtr[4]->Left(), 1555);
    EXPECT_EQ(f.l().picStretchPtr[4]->Top(), 1555);
    EXPECT_EQ(f.l().picStretchPtr[4]->Width(), 75);
    // The frame was not moved by the click.
    EXPECT_EQ(f.frame(7).Left(), 1000);
}

TEST_F(Selection, AnyPressOnTheBackgroundOrARightClickOnTheFrameDeselects) {
    QTest::mouseClick(&f.frame(7), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(f.form, Qt::RightButton, {}, QPoint(600, 500));
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_TRUE(handlesHidden());

    QTest::mouseClick(&f.frame(7), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&f.frame(7), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_TRUE(handlesHidden());
}

TEST_F(Selection, ClickOnTheNumberLabelDeselectsWithoutSelectingAgain) {
    QTest::mouseClick(&f.frame(7), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(f.l().lblNo[7], Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_TRUE(handlesHidden());
}

TEST_F(Selection, SurvivesAClickOnACommandButton) {
    auto* rotate = new QPushButton(QStringLiteral("センサ回転"), f.form);
    rotate->setFocusPolicy(Qt::NoFocus);
    rotate->setGeometry(600, 700, 100, 30);
    rotate->show();
    QObject::connect(rotate, &QPushButton::clicked, [&] { f.editor->cmdRotate_Click(); });

    QTest::mouseClick(&f.frame(7), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(rotate, Qt::LeftButton);
    QTest::mouseClick(rotate, Qt::LeftButton);
    EXPECT_EQ(f.l().SensorRotation[7], 180);
    EXPECT_EQ(f.l().StretchTarget, &f.frame(7));
    EXPECT_TRUE(handlesShown());
}

TEST_F(Selection, HandlesShowTheResizePointerOfTheirEdge) {
    QTest::mouseClick(&f.frame(7), Qt::LeftButton, {}, QPoint(10, 10));
    const std::array<Qt::CursorShape, 8> expected = {
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    for (int h = 0; h < HandleCount; ++h) {
        PictureBox* handle = f.l().picStretchPtr[h];
        EditorFixture::Send(handle, QEvent::MouseMove, QPointF(2, 2), Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(handle->cursor().shape(), expected[h]) << "handle " << h;
    }
}

// ---- merging ----------------------------------------------------------------------------------

TEST(Merging, ItemsDroppedOnSensorOneJoinItsNumberInIndexOrder) {
    EditorFixture f(true);
    f.place(0, QPoint(300, 200));
    f.dragTo(&f.item(2), QPoint(3, 3), QPointF(310, 210));
    f.dragTo(&f.item(1), QPoint(3, 3), QPointF(320, 220));

    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1,2,3"));
    EXPECT_EQ(f.l().MergedCount, 2);
    for (int s : {1, 2}) {
        EXPECT_TRUE(f.l().SensorMerged[s]);
        EXPECT_FALSE(f.frame(s).isVisibleTo(&f.window));
        EXPECT_FALSE(f.item(s).isVisibleTo(&f.window));
    }
    EXPECT_EQ(f.l().lblNo[0]->Left(), 100);
}

TEST(Merging, NumberDraggedOutOfTheChainBecomesAFrameCentredOnTheDropPoint) {
    EditorFixture f(true);
    f.place(0, QPoint(300, 200));
    f.dragTo(&f.item(2), QPoint(3, 3), QPointF(310, 210));
    f.dragTo(&f.item(1), QPoint(3, 3), QPointF(320, 220));

    LabelControl* two = f.l().lblNo[1];
    QTest::mousePress(two, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(f.l().picDragNo->isVisibleTo(&f.window));
    f.dragTo(two, QPoint(2, 2), QPointF(600, 450));

    EXPECT_FALSE(f.l().picDragNo->isVisibleTo(&f.window));
    EXPECT_FALSE(f.l().SensorMerged[1]);
    EXPECT_EQ(f.l().MergedCount, 1);
    PictureBox& frame = f.frame(1);
    EXPECT_TRUE(frame.isVisibleTo(&f.window));
    EXPECT_EQ(frame.Left(), 9000 - 555 / 2.0f);
    EXPECT_EQ(frame.Top(), 6750 - 555 / 2.0f);
    EXPECT_EQ(two->Container(), &frame);
    EXPECT_EQ(two->caption(), QStringLiteral("2"));
    EXPECT_EQ(two->Left(), 100);
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1,3"));
}

TEST(Merging, NumberDroppedAnywhereButTheBackgroundStaysMerged) {
    EditorFixture f(true);
    f.place(0, QPoint(300, 200));
    f.place(9, QPoint(500, 200));
    f.dragTo(&f.item(2), QPoint(3, 3), QPointF(310, 210));
    f.dragTo(f.l().lblNo[2], QPoint(2, 2), QPointF(510, 210));  // on frame 10
    EXPECT_TRUE(f.l().SensorMerged[2]);
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1,3"));
    EXPECT_EQ(f.l().MergedCount, 1);
}

TEST(Merging, ReleasingAMergedNumberWithoutAMoveHidesItsDragImage) {
    EditorFixture f(true);
    f.place(0, QPoint(300, 200));
    f.dragTo(&f.item(2), QPoint(3, 3), QPointF(310, 210));
    QTest::mouseClick(f.l().lblNo[2], Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(f.l().picDragNo->isVisibleTo(&f.window));
    EXPECT_TRUE(f.l().SensorMerged[2]);
}

TEST(Merging, ReturningTheHostReturnsEverySensorMergedIntoIt) {
    EditorFixture f(true);
    f.place(0, QPoint(300, 200));
    f.place(5, QPoint(500, 200));
    f.dragTo(&f.item(2), QPoint(3, 3), QPointF(310, 210));
    f.dragTo(&f.frame(5), QPoint(3, 3), QPointF(310, 210));  // a placed frame merges too
    EXPECT_EQ(f.l().MergedCount, 2);

    f.dragTo(&f.frame(0), QPoint(3, 3), QPointF(40, 690));
    EXPECT_EQ(f.l().MergedCount, 0);
    for (int s : {0, 2, 5}) {
        EXPECT_FALSE(f.l().SensorMerged[s]);
        EXPECT_TRUE(f.item(s).isVisibleTo(&f.window));
        EXPECT_FALSE(f.frame(s).isVisibleTo(&f.window));
        EXPECT_EQ(f.l().lblNo[s]->Container(), &f.frame(s));
        EXPECT_EQ(f.l().lblNo[s]->caption(), QString::number(s + 1));
    }
}

TEST(Merging, LimitRefusesTheDropWithAMessageAndNoChange) {
    EditorFixture f(true);
    f.place(0, QPoint(300, 200));
    f.place(8, QPoint(500, 200));
    f.l().MergedCount = 15;
    f.dragTo(&f.item(3), QPoint(3, 3), QPointF(310, 210));
    f.dragTo(&f.frame(8), QPoint(3, 3), QPointF(310, 210));

    ASSERT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_EQ(f.boxes.shown[0].text, QStringLiteral("統合できるセンサ数は16個までです。"));
    EXPECT_EQ(f.boxes.shown[0].title, QStringLiteral("Tamsen Korviｾﾝｻｰ (圧力位置検出ｾﾝｻｰ)"));
    EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(f.item(3).isVisibleTo(&f.window));
    EXPECT_FALSE(f.l().SensorMerged[3]);
    EXPECT_TRUE(f.frame(8).isVisibleTo(&f.window));
    EXPECT_EQ(f.frame(8).Left(), 7500);
}

TEST(Merging, WithMergeModeOffAnItemOnSensorOneIsPlacedBesideItUpright) {
    EditorFixture f(false);
    f.place(0, QPoint(300, 200));
    f.l().SensorRotation[4] = 90;
    f.dragTo(&f.item(4), QPoint(1, 1), QPointF(321, 201));
    EXPECT_EQ(f.l().MergedCount, 0);
    EXPECT_FALSE(f.l().SensorMerged[4]);
    EXPECT_TRUE(f.frame(4).isVisibleTo(&f.window));
    EXPECT_EQ(f.frame(4).Left(), 4500 + 555);
    EXPECT_EQ(f.l().SensorRotation[4], 0);
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1"));
}

}  // namespace
}  // namespace korvi::test

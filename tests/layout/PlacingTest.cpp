// The layout editor driven by mouse input given to the window, along slow and fast pointer paths:
// base images offered in the base box and the base plate laid out, swapped, moved and put back;
// sensors placed, moved, pushed and returned; selecting them and resizing the selection by its
// handles (the handles hide as the stretch begins, the release ends it by what lies under the
// pointer, the bare pointer moves nothing afterwards); merging and un-merging numbers.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

uint32_t PictureColour(int k) {
    return FromQColor(BasePicture(k).pixelColor(0, 0));
}

TEST(BaseImages, OnlyWholeReadablePicturesAreOffered) {
    QTemporaryDir folder;
    BasePicture(3).save(folder.filePath(QStringLiteral("Base_3.bmp")), "BMP");
    // A bitmap cut short, as a copy broken off half-way leaves it.
    const QString cut = folder.filePath(QStringLiteral("Base_5.bmp"));
    QImage(64, 64, QImage::Format_RGB32).save(cut, "BMP");
    QFile::resize(cut, QFileInfo(cut).size() / 2);

    EditorFixture f;
    f.editor->InitBaseImages(folder.path());
    for (int k = 0; k < BaseImageCount; ++k) {
        EXPECT_EQ(f.shown(f.l().picBase[k]), k == 3) << "image " << k;
    }
    EXPECT_EQ(f.l().picBase[3]->canvas().pixel(34, 34), PictureColour(3));
    // Image k stands 675 twips below image k - 1, the first 120 twips into the box; the last one
    // lies below the box's 10215 twips.
    EXPECT_EQ(Geometry(*f.l().picBase[3]), (std::array<float, 4>{300, 2145, 555, 555}));
    EXPECT_EQ(f.l().picBase[15]->Top(), 10245);
}

class BasePlate : public ::testing::TestWithParam<Pace> {};

TEST_P(BasePlate, ImageLaidOutSwappedMovedAndPutBack) {
    const Pace pace = GetParam();
    EditorFixture f{true, {2, 4}};
    PictureBox& plate = *f.l().picBaseSens;
    // Image 2 dragged out: a 555 x 555 plate with the grab point (5, 5) under the pointer.
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(400, 300), pace);
    EXPECT_EQ(f.l().BaseIndex, 2);
    EXPECT_FALSE(f.shown(f.l().picBase[2]));
    EXPECT_EQ(Geometry(plate), (std::array<float, 4>{6000 - 75, 4500 - 75, 555, 555}));
    EXPECT_EQ(plate.canvas().pixel(30, 20), PictureColour(2));

    // Image 4 dropped on it swaps the picture; size and place stay.
    f.dragTo(f.l().picBase[4], QPoint(5, 5), QPointF(410, 310), pace);
    EXPECT_EQ(f.l().BaseIndex, 4);
    EXPECT_TRUE(f.shown(f.l().picBase[2]));
    EXPECT_FALSE(f.shown(f.l().picBase[4]));
    EXPECT_EQ(Geometry(plate), (std::array<float, 4>{5925, 4425, 555, 555}));
    EXPECT_EQ(plate.canvas().pixel(30, 20), PictureColour(4));

    // Item 2 dropped on the plate's left strip, its frame reaching across frame 1's left edge:
    // no push on the plate.
    f.place(0, QPoint(415, 300), pace);  // 6225, 4500
    f.dragTo(&f.item(1), QPoint(1, 1), QPointF(414, 321), pace);
    EXPECT_EQ(At(f.frame(1)), (Place2{6195, 4800}));
    EXPECT_FALSE(f.l().SensorMerged[1]);

    // Moved without moving the frames on it, then dragged back into the base box.
    // Grabbed at its left strip, which the frames do not cover.
    f.dragTo(&plate, QPoint(2, 30), QPointF(600, 400), pace);
    EXPECT_EQ(plate.Left(), 9000 - 30);
    EXPECT_EQ(f.frame(0).Left(), 6225);
    f.dragTo(&plate, QPoint(2, 30), QPointF(980, 600), pace);
    EXPECT_FALSE(f.shown(&plate));
    EXPECT_EQ(f.l().BaseIndex, -1);
    EXPECT_TRUE(f.shown(f.l().picBase[4]));
    EXPECT_TRUE(f.shown(&f.frame(0)));
}

INSTANTIATE_TEST_SUITE_P(SlowAndFast, BasePlate, ::testing::Values(Pace::Slow, Pace::Fast));

class Placing : public ::testing::TestWithParam<Pace> {};
class Merging : public ::testing::TestWithParam<Pace> {};

TEST_P(Placing, FramesMoveKeepingTheGrabPointAndReturnToTheBoxAtThePaletteSize) {
    EditorFixture f;
    const Pace pace = GetParam();
    PictureBox& frame = f.frame(2);
    f.l().SensorRotation[2] = 180;
    f.place(2, QPoint(300, 200), pace);
    EXPECT_EQ(f.l().SensorRotation[2], 0);  // a sensor dragged out of the box stands upright
    // A long move over the background and a short one that ends on the frame itself.
    f.dragTo(&frame, QPoint(5, 7), QPointF(500, 300), pace);
    EXPECT_EQ(At(frame), (Place2{7500 - 75, 4500 - 105}));
    f.dragTo(&frame, QPoint(20, 22), QPointF(495 + 23, 293 + 26), pace);
    EXPECT_EQ(At(frame), (Place2{7500 - 75 + 45, 4500 - 105 + 60}));
    EXPECT_EQ(f.l().StretchTarget, nullptr);  // moving never selects

    // Stretched, then dropped on the box below the items: back in the box; placed again it has
    // the palette size.
    frame.Move(frame.Left(), frame.Top(), 900, 700);
    f.dragTo(&frame, QPoint(4, 4), QPointF(40, 690), pace);
    EXPECT_TRUE(f.shown(&f.item(2)));
    EXPECT_FALSE(f.shown(&frame));
    f.place(2, QPoint(400, 300), pace);
    EXPECT_EQ(Geometry(frame), (std::array<float, 4>{6000, 4500, 555, 555}));
}

TEST_P(Placing, FrameDroppedOverlappingAnotherIsPushedAlongTheSmallerOverlap) {
    EditorFixture f;
    const Pace pace = GetParam();
    f.place(1, QPoint(290, 190), pace);  // 4350, 2850
    // Dropped onto frame 1 itself towards its right edge: more vertical overlap, so it goes right.
    f.dragTo(&f.item(6), QPoint(1, 1), QPointF(321, 191), pace);
    EXPECT_EQ(At(f.frame(6)), (Place2{4350 + 555, 2850}));
    // A sensor returned to the box keeps its frame's place but pushes nothing away.
    f.place(8, QPoint(600, 400));
    f.dragTo(&f.frame(8), QPoint(4, 4), QPointF(40, 690));
    f.place(9, QPoint(610, 410));
    EXPECT_EQ(At(f.frame(9)), (Place2{9150, 6150}));
}

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

// A click selects and shows the handles, the background or a click on the number label
// deselects, an item dragged across the handles hides them but keeps the selection, and a handle
// pulled stretches the frame until the release, which ends the stretch by what lies under it.
TEST(Selecting, ClickShowsTheHandlesADraggedItemHidesThemAndAPulledHandleStretchesTheFrame) {
    EditorFixture f;
    f.frame(7).Move(1000, 1000, 555, 555);
    f.frame(7).show();
    f.click(&f.frame(7), QPoint(28, 28));
    EXPECT_EQ(f.l().StretchTarget, &f.frame(7));
    for (PictureBox* handle : f.l().picStretchPtr) {
        EXPECT_TRUE(f.shown(handle));
    }
    EXPECT_EQ(f.frame(7).Left(), 1000);

    f.click(f.form, QPoint(600, 500), Qt::RightButton);
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_FALSE(f.shown(f.l().picStretchPtr[0]));

    // The number label passes its press on to the frame, but not its release: a click on it
    // deselects.
    f.click(&f.frame(7), QPoint(28, 28));
    f.click(f.l().lblNo[7], QPoint(2, 2));
    EXPECT_EQ(f.l().StretchTarget, nullptr);
    EXPECT_FALSE(f.anyHandleShown());

    f.place(0, QPoint(200, 100));
    f.click(&f.frame(0), QPoint(28, 28));
    ASSERT_EQ(f.frame(0).canvas().pixel(18, 34), kBlack);
    // Item 6 pressed in the box, dragged slowly over handle 7 (195 to 199, 116 to 120) and on to
    // the background below.
    f.mouse().press(f.on(&f.item(5), QPointF(1, 1)));
    f.mouse().glide(QPointF(197, 118), 2);
    EXPECT_FALSE(f.anyHandleShown());
    f.mouse().glide(QPointF(181, 301), 2);
    f.mouse().release(QPointF(181, 301));
    EXPECT_EQ(At(f.frame(5)), (Place2{2700, 4500}));
    EXPECT_FALSE(f.anyHandleShown());
    EXPECT_EQ(f.l().StretchTarget, &f.frame(0));
    EXPECT_EQ(f.frame(0).canvas().pixel(18, 34), kWhite);  // origin tick cleared too

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
    // The bare pointer wandering over the window afterwards resizes nothing.
    f.mouse().glide(QPointF(600, 500), 7);
    f.mouse().glide(QPointF(150, 120), 7);
    EXPECT_EQ(Geometry(f.frame(0)), (Rect{4500 - 1875, 1500, 1875, 1350}));
}

// Sensor 1 placed at 300, 200 px with items 3 then 2 dropped on it.
struct Merged : EditorFixture {
    Merged(bool mergeMode, Pace pace) : EditorFixture(mergeMode) {
        place(0, QPoint(300, 200), pace);
        dragTo(&item(2), QPoint(3, 3), QPointF(310, 210), pace);
        dragTo(&item(1), QPoint(3, 3), QPointF(320, 220), pace);
    }
};

TEST_P(Merging, ItemsJoinInIndexOrderANumberDraggedOutGetsAFrameAndTheHostTakesTheRestBack) {
    const Pace pace = GetParam();
    Merged f(true, pace);
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1,2,3"));
    EXPECT_EQ(f.l().MergedCount, 2);
    EXPECT_FALSE(f.shown(&f.frame(1)) || f.shown(&f.item(1)));
    // Numbers 12 and 11 join too, in a frame widened to show the longer chain.
    f.frame(0).Move(4500, 3000, 1500, 555);
    f.dragTo(&f.item(11), QPoint(3, 3), QPointF(310, 210), pace);
    f.dragTo(&f.item(10), QPoint(3, 3), QPointF(310, 210), pace);
    f.place(5, QPoint(500, 200), pace);

    // Numbers dragged out of the chain: onto a frame nothing changes; onto the background the
    // sensor leaves the chain, which closes up from the host's label on.
    const struct {
        int sensor;
        QPointF drop;
        const char* chain;
    } steps[] = {{2, {510, 210}, "1,2,3,11,12"},
                 {10, {800, 300}, "1,2,3,12"},
                 {1, {600, 450}, "1,3,12"},
                 {11, {800, 450}, "1,3"}};
    for (const auto& step : steps) {
        f.dragTo(f.l().lblNo[step.sensor], QPoint(2, 2), step.drop, pace);
        EXPECT_EQ(ChainText(f.l(), 0), QString::fromLatin1(step.chain)) << step.sensor;
    }
    EXPECT_EQ(f.l().MergedCount, 1);
    EXPECT_EQ(ChainText(f.l(), 10), QStringLiteral("11"));
    // Number 2 got a frame centred on its drop, with its own label showing 2 again.
    LabelControl* two = f.l().lblNo[1];
    EXPECT_FALSE(f.l().SensorMerged[1]);
    EXPECT_TRUE(f.shown(&f.frame(1)));
    EXPECT_EQ(At(f.frame(1)), (Place2{9000 - 555 / 2.0f, 6750 - 555 / 2.0f}));
    EXPECT_EQ(two->Container(), &f.frame(1));
    EXPECT_EQ(ChainText(f.l(), 1), QStringLiteral("2"));

    // Placed frames merge too, back into index order; the host returned to the box takes every
    // merged sensor along.
    f.dragTo(&f.frame(1), QPoint(3, 3), QPointF(310, 210), pace);
    f.dragTo(&f.frame(5), QPoint(3, 3), QPointF(310, 210), pace);
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1,2,3,6"));
    f.dragTo(&f.frame(0), QPoint(3, 3), QPointF(40, 690), pace);
    EXPECT_EQ(f.l().MergedCount, 0);
    for (int s : {0, 1, 2, 5}) {
        EXPECT_FALSE(f.l().SensorMerged[s]);
        EXPECT_TRUE(f.shown(&f.item(s)));
        EXPECT_FALSE(f.shown(&f.frame(s)));
        EXPECT_EQ(ChainText(f.l(), s), QString::number(s + 1));
    }
    EXPECT_TRUE(f.shown(&f.frame(11)));
}

TEST_P(Merging, LimitRefusesTheDropWithAMessageAndNoChange) {
    const Pace pace = GetParam();
    EditorFixture f;
    f.place(0, QPoint(300, 200), pace);
    f.place(8, QPoint(500, 200), pace);
    f.l().MergedCount = 15;
    f.dragTo(&f.item(3), QPoint(3, 3), QPointF(310, 210), pace);
    f.dragTo(&f.frame(8), QPoint(3, 3), QPointF(310, 210), pace);
    ASSERT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_EQ(f.boxes.shown[0].text, QStringLiteral("統合できるセンサ数は16個までです。"));
    EXPECT_EQ(f.boxes.shown[0].title, QStringLiteral("Tamsen Korviｾﾝｻｰ (圧力位置検出ｾﾝｻｰ)"));
    EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(f.shown(&f.item(3)));
    EXPECT_EQ(f.frame(8).Left(), 7500);
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1"));
}

TEST_P(Merging, WithMergeModeOffItemsOnSensorOneArePlacedBesideIt) {
    Merged f(false, GetParam());
    EXPECT_EQ(f.l().MergedCount, 0);
    EXPECT_TRUE(f.shown(&f.frame(1)) && f.shown(&f.frame(2)));
    EXPECT_EQ(ChainText(f.l(), 0), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(SlowAndFast, Placing, ::testing::Values(Pace::Slow, Pace::Fast));
INSTANTIATE_TEST_SUITE_P(SlowAndFast, Merging, ::testing::Values(Pace::Slow, Pace::Fast));

}  // namespace
}  // namespace korvi::test

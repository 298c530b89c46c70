// Base images in the base box and the base plate on the window: which files are offered, laying
// a plate out, swapping its picture, moving it back, and sensors dropped on it, along slow and
// fast pointer paths given to the window.
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

    // Moved without moving the frame on it, then dragged back into the base box.
    f.place(0, QPoint(400, 300), pace);
    // Grabbed at its left strip, which the frame does not cover.
    f.dragTo(&plate, QPoint(2, 30), QPointF(600, 400), pace);
    EXPECT_EQ(plate.Left(), 9000 - 30);
    EXPECT_EQ(f.frame(0).Left(), 6000);
    f.dragTo(&plate, QPoint(2, 30), QPointF(980, 600), pace);
    EXPECT_FALSE(f.shown(&plate));
    EXPECT_EQ(f.l().BaseIndex, -1);
    EXPECT_TRUE(f.shown(f.l().picBase[4]));
    EXPECT_TRUE(f.shown(&f.frame(0)));
}

TEST_P(BasePlate, SensorDroppedOnThePlateMayOverlapAnotherFrame) {
    const Pace pace = GetParam();
    EditorFixture f{true, {2}};
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(400, 300), pace);  // plate at 5925, 4425
    f.place(0, QPoint(415, 300), pace);                                 // 6225, 4500
    // Item 1 dropped on the plate's left strip, its frame reaching across frame 1's left edge:
    // no push on the plate.
    f.dragTo(&f.item(1), QPoint(1, 1), QPointF(414, 321), pace);
    EXPECT_EQ(At(f.frame(1)), (Place2{6195, 4800}));
    EXPECT_FALSE(f.l().SensorMerged[1]);
}

INSTANTIATE_TEST_SUITE_P(SlowAndFast, BasePlate, ::testing::Values(Pace::Slow, Pace::Fast));

}  // namespace
}  // namespace korvi::test

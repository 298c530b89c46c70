// Base images in the base box and the base plate on the window: which files are offered, laying
// a plate out, swapping its picture, moving it, removing it, and sensors dropped on it.
#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

uint32_t Bgr(const QColor& c) {
    return FromQColor(c);
}

uint32_t PictureColour(int k) {
    return Bgr(BasePicture(k).pixelColor(0, 0));
}

TEST(BaseImages, OnlyWholeReadablePicturesAreOffered) {
    QTemporaryDir folder;
    BasePicture(3).save(folder.filePath(QStringLiteral("Base_3.bmp")), "BMP");
    // A bitmap cut short, and bytes that are no picture at all.
    QImage big(64, 64, QImage::Format_RGB32);
    big.fill(Qt::red);
    const QString cut = folder.filePath(QStringLiteral("Base_5.bmp"));
    big.save(cut, "BMP");
    QFile::resize(cut, QFileInfo(cut).size() / 2);
    QFile noise(folder.filePath(QStringLiteral("Base_6.bmp")));
    ASSERT_TRUE(noise.open(QIODevice::WriteOnly));
    for (int n = 0; n < 2000; ++n) {
        noise.putChar(static_cast<char>(QRandomGenerator::global()->bounded(256)));
    }
    noise.close();

    EditorFixture f;
    f.editor->InitBaseImages(folder.path());
    for (int k = 0; k < BaseImageCount; ++k) {
        EXPECT_EQ(f.l().picBase[k]->isVisibleTo(&f.window), k == 3) << "image " << k;
    }
    PictureBox& image = *f.l().picBase[3];
    EXPECT_EQ(image.Top(), 2145);
    EXPECT_EQ(image.Width(), 555);
    // The face is the picture stretched over the whole image.
    EXPECT_EQ(image.canvas().pixel(34, 34), PictureColour(3));
    EXPECT_EQ(image.canvas().picture().size(), BasePicture(3).size());
}

class BasePlate : public ::testing::Test {
  protected:
    PictureBox& plate() { return *f.l().picBaseSens; }
    PictureBox& image(int k) { return *f.l().picBase[k]; }
    // Image 2 laid out with its top-left at 5925, 4425 (grabbed 5 px in).
    void layOut() { f.dragTo(&image(2), QPoint(5, 5), QPointF(400, 300)); }
    EditorFixture f{true, {2, 4}};
};

TEST_F(BasePlate, ImageDraggedOutBecomesAPlateWithTheGrabPointUnderThePointer) {
    layOut();
    EXPECT_EQ(f.l().BaseIndex, 2);
    EXPECT_FALSE(image(2).isVisibleTo(&f.window));
    EXPECT_TRUE(plate().isVisibleTo(&f.window));
    EXPECT_EQ(plate().Left(), 6000 - 75);
    EXPECT_EQ(plate().Top(), 4500 - 75);
    EXPECT_EQ(plate().Width(), 555);
    EXPECT_EQ(plate().Height(), 555);
    EXPECT_EQ(plate().canvas().pixel(30, 20), PictureColour(2));
}

TEST_F(BasePlate, AnotherImageDroppedOnThePlateSwapsThePictureOnly) {
    layOut();
    f.dragTo(&image(4), QPoint(5, 5), QPointF(410, 310));
    EXPECT_EQ(f.l().BaseIndex, 4);
    EXPECT_TRUE(image(2).isVisibleTo(&f.window));
    EXPECT_FALSE(image(4).isVisibleTo(&f.window));
    EXPECT_EQ(plate().Left(), 5925);
    EXPECT_EQ(plate().Top(), 4425);
    EXPECT_EQ(plate().Width(), 555);
    EXPECT_EQ(plate().canvas().pixel(30, 20), PictureColour(4));
}

TEST_F(BasePlate, MovesWithoutMovingFramesAndGoesBackIntoTheBox) {
    layOut();
    f.place(0, QPoint(400, 300));  // on the plate
    f.dragTo(&plate(), QPoint(20, 30), QPointF(600, 400));
    EXPECT_EQ(plate().Left(), 9000 - 300);
    EXPECT_EQ(plate().Top(), 6000 - 450);
    EXPECT_EQ(f.frame(0).Left(), 6000);

    f.dragTo(&plate(), QPoint(20, 30), QPointF(980, 600));  // the base box
    EXPECT_FALSE(plate().isVisibleTo(&f.window));
    EXPECT_EQ(f.l().BaseIndex, -1);
    EXPECT_TRUE(image(2).isVisibleTo(&f.window));
    EXPECT_TRUE(f.frame(0).isVisibleTo(&f.window));
    EXPECT_EQ(f.frame(0).Left(), 6000);
}

TEST_F(BasePlate, PlateDroppedOnTheSensorBoxStaysWhereItWas) {
    layOut();
    f.dragTo(&plate(), QPoint(20, 30), QPointF(40, 650));
    EXPECT_TRUE(plate().isVisibleTo(&f.window));
    EXPECT_EQ(plate().Left(), 5925);
    EXPECT_EQ(f.l().BaseIndex, 2);
}

TEST_F(BasePlate, SensorDroppedOnThePlateMayOverlapAnotherFrame) {
    layOut();
    f.place(0, QPoint(415, 300));  // 6225, 4500: over the plate's right part
    // Item 1 dropped on the plate's left strip, its frame reaching across frame 1's left edge:
    // no push on the plate.
    f.dragTo(&f.item(1), QPoint(1, 1), QPointF(414, 321));
    EXPECT_EQ(f.frame(1).Left(), 6195);
    EXPECT_EQ(f.frame(1).Top(), 4800);
    EXPECT_FALSE(f.l().SensorMerged[1]);
    // The plate shows both outlines in the frame colour.
    const uint32_t outline = GetFrameColor(kTestBaseColor);
    EXPECT_EQ(plate().canvas().pixel(20, 15), outline);
    EXPECT_EQ(plate().canvas().pixel(18, 30), outline);
}

TEST_F(BasePlate, ClickWithoutMoveSelectsThePlate) {
    layOut();
    QTest::mouseClick(&plate(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.l().StretchTarget, &plate());
    EXPECT_EQ(f.l().picStretchPtr[0]->Left(), 5925 - 75);
    EXPECT_TRUE(f.l().picStretchPtr[5]->isVisibleTo(&f.window));
    EXPECT_EQ(plate().Left(), 5925);
}

}  // namespace
}  // namespace korvi::test

// A layout built with the mouse in the real main window on a real X server (Xvfb), read back from
// the screen: the base plate with its picture, placed frames where they were dropped, a merged
// number chain and the stretch handles of the selection. Runs only when KORVI_SCREENSHOT_DIR names
// a folder for the pictures (ctest's screenshot entry); elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <array>
#include <cstdlib>
#include <vector>

#include "app/DemoDriver.h"
#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "layout/SensorLayout.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

// The base picture: teal on the left half, purple on the right, so the plate shows whether the
// whole picture is stretched over it.
const QColor kLeftHalf(20, 160, 150);
const QColor kRightHalf(150, 60, 170);

QImage BasePicture() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(kLeftHalf);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = picture.width() / 2; x < picture.width(); ++x) {
            picture.setPixelColor(x, y, kRightHalf);
        }
    }
    return picture;
}

bool Near(QRgb pixel, const QColor& expected) {
    const QColor c(pixel);
    return std::abs(c.red() - expected.red()) <= 8 && std::abs(c.green() - expected.green()) <= 8 &&
           std::abs(c.blue() - expected.blue()) <= 8;
}

class LayoutScreenshot : public ::testing::Test {
  protected:
    void SetUp() override {
        outDir = qEnvironmentVariable("KORVI_SCREENSHOT_DIR");
        if (outDir.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X server (run through ctest's screenshot entry)";
        }
        folder.writeDefaults();
        ASSERT_TRUE(BasePicture().save(folder.file(QStringLiteral("Base/Base_0.bmp")), "BMP"));
        program = std::make_unique<MainModule>(boxes, dialogs, sound, clock, serial);
        ASSERT_TRUE(program->Main());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(program->window()));
        QTest::qWait(200);
    }

    frmDemo& window() { return *program->window(); }
    SensorLayout& l() { return window().layout(); }
    QWidget* form() { return &window().form(); }
    // A point of the window background on the screen.
    QPoint OnScreen(QPoint formPx) { return form()->mapToGlobal(formPx); }

    QString outDir;
    test::TempAppFolder folder;
    test::RecordingMessageBoxes boxes;
    test::ScriptedFileDialogs dialogs;
    test::RecordingSound sound;
    ManualClock clock;
    test::FakeSerialLine serial;
    std::unique_ptr<MainModule> program;
};

TEST_F(LayoutScreenshot, PlateFramesMergedChainAndHandlesAppearWhereTheMousePutThem) {
    // The plate: base image 0 dragged out of the base box, selected and pulled larger.
    const QPoint plateTopLeft(200, 100);
    const QPoint plateBottomRight(700, 500);
    gesture::Drag(l().picBase[0], QPoint(5, 5), form(), plateTopLeft + QPoint(5, 5));
    gesture::Click(l().picBaseSens, QPoint(10, 10));
    gesture::Stretch(l().picStretchPtr[4], form(), plateBottomRight);

    // Sensors 1, 2 and 5 on the plate, sensor 8 on the background beside it; sensor 3 dropped
    // onto sensor 1 joins its number.
    const std::vector<std::pair<int, QPoint>> placed = {
        {0, {260, 160}}, {1, {420, 160}}, {4, {560, 380}}, {7, {780, 200}}};
    for (const auto& [sensor, topLeft] : placed) {
        gesture::Drag(l().picSensor[sensor], QPoint(1, 1), form(), topLeft + QPoint(1, 1));
    }
    gesture::Drag(l().picSensor[2], QPoint(3, 3), l().picPressSens[0], QPoint(20, 25));
    // Sensor 2 selected.
    gesture::Click(l().picPressSens[1], QPoint(20, 25));
    QTest::qWait(300);

    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QDir().mkpath(outDir);
    ASSERT_TRUE(screen.save(QDir(outDir).filePath(QStringLiteral("layout.png"))));
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();

    // The plate spans the dragged and stretched rectangle and shows the whole picture: the left
    // half teal, the right half purple, and the plate's colour just outside it.
    EXPECT_TRUE(Near(screen.pixel(OnScreen({220, 450})), kLeftHalf));
    EXPECT_TRUE(Near(screen.pixel(OnScreen({430, 450})), kLeftHalf));
    EXPECT_TRUE(Near(screen.pixel(OnScreen({470, 450})), kRightHalf));
    EXPECT_TRUE(Near(screen.pixel(OnScreen({695, 495})), kRightHalf));
    EXPECT_FALSE(Near(screen.pixel(OnScreen({705, 450})), kRightHalf));
    EXPECT_FALSE(Near(screen.pixel(OnScreen({195, 450})), kLeftHalf));

    // Each frame stands where it was dropped: a white face with the origin tick in the middle of
    // its bottom edge, and the background or the plate just left of it.
    for (const auto& [sensor, topLeft] : placed) {
        EXPECT_EQ(screen.pixel(OnScreen(topLeft + QPoint(25, 28))), qRgb(255, 255, 255))
            << "sensor " << sensor + 1;
        EXPECT_LT(qGray(screen.pixel(OnScreen(topLeft + QPoint(18, 34)))), 60)
            << "sensor " << sensor + 1;
        EXPECT_NE(screen.pixel(OnScreen(topLeft + QPoint(-3, 20))), qRgb(255, 255, 255))
            << "sensor " << sensor + 1;
    }
    // The merged sensor has no frame of its own: where its item was dropped is sensor 1's face.
    EXPECT_FALSE(l().picPressSens[2]->isVisible());
    EXPECT_FALSE(l().picSensor[2]->isVisible());

    // The chain in sensor 1's frame reads "1,3": the labels sit side by side and the screen shows
    // exactly what they draw.
    LabelControl* one = l().lblNo[0];
    LabelControl* three = l().lblNo[2];
    EXPECT_EQ(one->caption() + three->caption(), QStringLiteral("1,3"));
    EXPECT_EQ(three->parentWidget(), l().picPressSens[0]);
    EXPECT_EQ(three->geometry().left(), one->geometry().right() + 1);
    EXPECT_EQ(three->geometry().top(), one->geometry().top());
    const QImage chain = screen.copy(
        QRect(one->mapToGlobal(QPoint(0, 0)), QSize(one->width() + three->width(), one->height())));
    QImage expected(chain.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    one->render(&expected);
    three->render(&expected, QPoint(one->width(), 0));
    EXPECT_EQ(chain.convertToFormat(QImage::Format_RGB32), expected);
    int ink = 0;
    for (int y = 0; y < chain.height(); ++y) {
        for (int x = 0; x < chain.width(); ++x) {
            ink += qGray(chain.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 10);

    // The handles touch the corners and edge middles of sensor 2's frame (5 px squares).
    const QColor handleColour = ToQColor(kSysActiveTitleBar);
    const QRect frame(OnScreen({420, 160}), l().picPressSens[1]->size());
    const std::array<QPoint, HandleCount> centres = {QPoint(frame.left() - 3, frame.top() - 3),
                                                     QPoint(frame.center().x(), frame.top() - 3),
                                                     QPoint(frame.right() + 3, frame.top() - 3),
                                                     QPoint(frame.right() + 3, frame.center().y()),
                                                     QPoint(frame.right() + 3, frame.bottom() + 3),
                                                     QPoint(frame.center().x(), frame.bottom() + 3),
                                                     QPoint(frame.left() - 3, frame.bottom() + 3),
                                                     QPoint(frame.left() - 3, frame.center().y())};
    for (int h = 0; h < HandleCount; ++h) {
        EXPECT_TRUE(Near(screen.pixel(centres[h]), handleColour)) << "handle " << h;
    }
    // None around the frame that is not selected.
    EXPECT_FALSE(Near(screen.pixel(OnScreen({260 - 3, 160 - 3})), handleColour));
}

}  // namespace
}  // namespace korvi

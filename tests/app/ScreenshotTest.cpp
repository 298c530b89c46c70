// What a person sees: the real main window on a real X server (Xvfb), read back from the screen.
// Runs only when KORVI_SCREENSHOT_DIR names a folder for the pictures (ctest's screenshot entry
// starts it under xvfb-run); elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QPainter>

#include "app/DemoDriver.h"
#include "layout/SensorLayout.h"
#include "platform/Colors.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"
#include "tests/support/WindowMouse.h"

namespace korvi {
namespace {

using test::Ink;
using test::Near;

class Screenshot : public test::ProgramFixture {
  protected:
    void SetUp() override {
        outDir = test::ScreenshotDir();
        if (outDir.isEmpty()) {
            GTEST_SKIP() << "needs an X server (run through ctest's screenshot entry)";
        }
        QDir().mkpath(outDir);
        folder.writeDefaults();
    }
    QImage Grab(const char* name) { return test::GrabScreen(outDir, name); }
    // A point of the window background on the screen.
    QPoint At(int x, int y) const { return window()->form().mapToGlobal(QPoint(x, y)); }
    QString outDir;
};

TEST_F(Screenshot, PaletteAndTheRedTraceBoxAreDrawn) {
    ASSERT_TRUE(StartShown());
    const QImage screen = Grab("main-window.png");
    // Every palette item shows its origin tick (bottom centre) and its number.
    for (PictureBox* item : window()->layout().picSensor) {
        const QPoint topLeft = item->mapToGlobal(QPoint(0, 0));
        EXPECT_LT(qGray(screen.pixel(topLeft + QPoint(18, 34))), 60) << item->Index();
        EXPECT_GT(Ink(screen, QRect(topLeft + QPoint(8, 16), QSize(20, 14))), 5) << item->Index();
    }

    // The trace box is red while the trace is on, however it was switched: by the menu item
    // and by code, never by a click on the box.
    const QCheckBox* box = window()->chkTrace;
    const QRect onScreen(box->mapToGlobal(QPoint(0, 0)), box->size());
    const QPoint margin = onScreen.topRight() + QPoint(-3, onScreen.height() / 2);
    EXPECT_EQ(test::CountColour(screen, qRgb(255, 0, 0), onScreen), 0);
    window()->CoseDisp->trigger();
    const QImage on = Grab("trace-on.png");
    EXPECT_EQ(on.pixel(margin), qRgb(255, 0, 0));
    EXPECT_GT(test::CountColour(on, qRgb(255, 0, 0), onScreen),
              onScreen.width() * onScreen.height() / 2);
    window()->chkTrace->setChecked(false);
    EXPECT_EQ(Grab("trace-off.png").pixel(margin), screen.pixel(margin));
}

// A layout built with the mouse, read back from the screen: the base plate with its picture,
// placed frames where they were dropped, a merged number chain and the selection's handles.
TEST_F(Screenshot, PlateFramesMergedChainAndHandlesAppearWhereTheMousePutThem) {
    // The base picture: teal on the left half, purple on the right, so the plate shows whether
    // the whole picture is stretched over it.
    const QColor left(20, 160, 150);
    const QColor right(150, 60, 170);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(left);
    QPainter(&picture).fillRect(20, 0, 20, 30, right);
    ASSERT_TRUE(picture.save(folder.file(QStringLiteral("Base/Base_0.bmp")), "BMP"));
    ASSERT_TRUE(StartShown());
    SensorLayout& l = window()->layout();
    QWidget* form = &window()->form();

    // The plate: base image 0 dragged out of the base box, selected and pulled larger.
    gesture::Drag(l.picBase[0], QPoint(5, 5), form, QPoint(205, 105));
    gesture::Click(l.picBaseSens, QPoint(10, 10));
    gesture::Stretch(l.picStretchPtr[4], form, QPoint(700, 500));
    // Sensors 1, 2 and 5 on the plate, sensor 8 on the background beside it; sensor 3 dropped
    // onto sensor 1 joins its number; sensor 2 selected.
    const std::pair<int, QPoint> placed[] = {
        {0, {260, 160}}, {1, {420, 160}}, {4, {560, 380}}, {7, {780, 200}}};
    for (const auto& [sensor, topLeft] : placed) {
        gesture::Drag(l.picSensor[sensor], QPoint(1, 1), form, topLeft + QPoint(1, 1));
    }
    gesture::Drag(l.picSensor[2], QPoint(3, 3), l.picPressSens[0], QPoint(20, 25));
    gesture::Click(l.picPressSens[1], QPoint(20, 25));
    const QImage screen = Grab("layout.png");
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();

    // The plate spans the dragged and stretched rectangle and shows the whole picture, with the
    // plate's colour just outside it.
    EXPECT_TRUE(Near(screen.pixel(At(220, 450)), left) && Near(screen.pixel(At(430, 450)), left));
    EXPECT_TRUE(Near(screen.pixel(At(470, 450)), right) && Near(screen.pixel(At(695, 495)), right));
    EXPECT_FALSE(Near(screen.pixel(At(705, 450)), right) || Near(screen.pixel(At(195, 450)), left));

    // Each frame stands where it was dropped: a white face with the origin tick in the middle of
    // its bottom edge, and the background or the plate just left of it.
    for (const auto& [sensor, p] : placed) {
        EXPECT_EQ(screen.pixel(At(p.x() + 25, p.y() + 28)), qRgb(255, 255, 255)) << sensor;
        EXPECT_LT(qGray(screen.pixel(At(p.x() + 18, p.y() + 34))), 60) << sensor;
        EXPECT_NE(screen.pixel(At(p.x() - 3, p.y() + 20)), qRgb(255, 255, 255)) << sensor;
    }
    // With frames on, each frame on the plate is outlined in the frame colour (the plate's
    // &HE0E0E0 half-way to white: &HEFEFF0) on the ring of pixels just around it, 152 for a
    // 37 x 37 frame; sensor 2's ring is partly under its handles.
    const QRgb frameColour = qRgb(0xF0, 0xEF, 0xEF);
    const auto outline = [&](const QImage& shot, int sensor) {
        const QRect ring(l.picPressSens[sensor]->mapToGlobal(QPoint(-1, -1)),
                         l.picPressSens[sensor]->size() + QSize(2, 2));
        return test::CountColour(shot, frameColour, ring) -
               test::CountColour(shot, frameColour, ring.adjusted(1, 1, -1, -1));
    };
    EXPECT_EQ(outline(screen, 0), 152);
    EXPECT_EQ(outline(screen, 4), 152);
    EXPECT_EQ(window()->cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 OFF"));
    gesture::Click(window()->cmdDispSensor, QPoint(10, 10));
    ASSERT_EQ(window()->cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 ON"));
    const QImage framesOff = Grab("layout-frames-off.png");
    EXPECT_EQ(outline(framesOff, 0), 0);
    EXPECT_EQ(outline(framesOff, 4), 0);

    // The merged sensor has no frame of its own.
    EXPECT_FALSE(l.picPressSens[2]->isVisible() || l.picSensor[2]->isVisible());

    // The chain in sensor 1's frame reads "1,3": the screen shows the two labels' drawing side by
    // side.
    LabelControl* one = l.lblNo[0];
    LabelControl* three = l.lblNo[2];
    EXPECT_EQ(one->caption() + three->caption(), QStringLiteral("1,3"));
    const QImage chain = screen.copy(
        QRect(one->mapToGlobal(QPoint(0, 0)), QSize(one->width() + three->width(), one->height())));
    QImage expected(chain.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    one->render(&expected);
    three->render(&expected, QPoint(one->width(), 0));
    EXPECT_EQ(chain.convertToFormat(QImage::Format_RGB32), expected);
    EXPECT_GT(Ink(chain, chain.rect()), 10);

    // The 5 px handles touch the corners and edge middles of sensor 2's frame, and only there.
    const QColor handle = ToQColor(kSysActiveTitleBar);
    const QRect frame(At(420, 160), l.picPressSens[1]->size());
    for (int x : {frame.left() - 3, frame.center().x(), frame.right() + 3}) {
        for (int y : {frame.top() - 3, frame.center().y(), frame.bottom() + 3}) {
            EXPECT_EQ(Near(screen.pixel(x, y), handle), QPoint(x, y) != frame.center()) << x << y;
        }
    }
    EXPECT_FALSE(Near(screen.pixel(At(257, 157)), handle));
}

}  // namespace
}  // namespace korvi

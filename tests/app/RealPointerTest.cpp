// A stretch made with real X input: the X server's own pointer, moved and clicked with xdotool,
// drives the real main window under Xvfb, and the screen shows the frame at its new size. Runs
// only through ctest's screenshot entries (an X server and xdotool are needed).
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "layout/SensorLayout.h"
#include "platform/Colors.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"

namespace korvi {
namespace {

using test::Near;

class RealPointerScreenshot : public test::ProgramFixture {
  protected:
    void SetUp() override {
        outDir = test::ScreenshotDir();
        xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (outDir.isEmpty() || xdotool.isEmpty()) {
            GTEST_SKIP()
                << "needs an X server and xdotool (run through ctest's screenshot entries)";
        }
        folder.writeDefaults();
        ASSERT_TRUE(Start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
        QTest::qWait(200);
        form = &window()->form();
    }

    // Runs one xdotool command chain while the program goes on handling what the X server sends
    // it, so that every step of a path arrives as its own event.
    void Xdo(const QStringList& args) {
        QProcess xdo;
        xdo.start(xdotool, args);
        ASSERT_TRUE(xdo.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&xdo] { return xdo.state() == QProcess::NotRunning; }, 20000));
        ASSERT_EQ(xdo.exitCode(), 0) << xdo.readAllStandardError().toStdString();
        QTest::qWait(150);
    }
    // xdotool words that put the pointer on a point of the window background.
    QStringList To(QPoint formPx) const {
        const QPoint screen = form->mapToGlobal(formPx);
        return {QStringLiteral("mousemove"), QString::number(screen.x()),
                QString::number(screen.y())};
    }
    // A straight path from `from` to `to` in steps of 2 pixels, each a separate move.
    QStringList Path(QPoint from, QPoint to) const {
        QStringList words;
        const QPoint way = to - from;
        const int steps = std::max(std::abs(way.x()), std::abs(way.y())) / 2;
        for (int n = 1; n <= steps; ++n) {
            words << To(from + way * n / steps) << QStringLiteral("sleep")
                  << QStringLiteral("0.01");
        }
        return words;
    }
    QImage Grab(const char* name) { return test::GrabScreen(outDir, name); }
    QRgb At(const QImage& screen, QPoint formPx) const {
        return screen.pixel(form->mapToGlobal(formPx));
    }

    QString outDir;
    QString xdotool;
    QWidget* form = nullptr;
};

TEST_F(RealPointerScreenshot, FrameStretchedByItsCornerHandleIsDrawnAtTheNewSize) {
    SensorLayout& l = window()->layout();
    PictureBox& frame = *l.picPressSens[0];
    const QPoint item = form->mapFromGlobal(l.picSensor[0]->mapToGlobal(QPoint(1, 1)));
    // Sensor 1 out of the box, its top-left on 300, 200; then a click selects it.
    Xdo(To(item) + QStringList{"mousedown", "1"} + Path(item, {301, 201}) +
        QStringList{"mouseup", "1"});
    ASSERT_TRUE(frame.isVisible());
    ASSERT_EQ(frame.Left(), 4500);
    Xdo(To({328, 228}) + QStringList{"click", "1"});
    ASSERT_EQ(l.StretchTarget, &frame);

    // Handle 4 (337 to 341) pressed and pulled 60 pixels right and down, 2 pixels at a time.
    const QPoint grip(339, 239);
    const QPoint end = grip + QPoint(60, 60);
    Xdo(To(grip) + QStringList{"mousedown", "1"} + Path(grip, end) + QStringList{"mouseup", "1"});
    // The pointer wanders on with no button held.
    Xdo(Path(end, {600, 500}));
    EXPECT_EQ(frame.Width(), 1485);
    EXPECT_EQ(frame.Height(), 1485);
    EXPECT_EQ(l.StretchTarget, nullptr);

    // On the screen: a 99 x 99 white face from 300, 200, the origin tick in the middle of its new
    // bottom edge, the background beyond it, and no handle anywhere.
    const QImage stretched = Grab("stretched-frame.png");
    const QColor handle = ToQColor(kSysActiveTitleBar);
    const QColor white(255, 255, 255);
    EXPECT_TRUE(Near(At(stretched, {390, 290}), white));
    EXPECT_TRUE(Near(At(stretched, {330, 290}), white));
    EXPECT_TRUE(Near(At(stretched, {390, 230}), white));
    EXPECT_LT(qGray(At(stretched, {349, 296})), 60);
    EXPECT_FALSE(Near(At(stretched, {403, 250}), white));
    EXPECT_FALSE(Near(At(stretched, {350, 303}), white));
    for (QPoint p : {QPoint(339, 239), QPoint(401, 301), QPoint(349, 301), QPoint(401, 249),
                     QPoint(297, 197)}) {
        EXPECT_FALSE(Near(At(stretched, p), handle)) << p.x() << "," << p.y();
    }

    // The next click is a click of its own: it selects the frame, handles at the new corners.
    Xdo(To({330, 290}) + QStringList{"click", "1"});
    const QImage selected = Grab("stretched-frame-selected.png");
    EXPECT_EQ(l.StretchTarget, &frame);
    EXPECT_TRUE(Near(At(selected, {401, 301}), handle));
    EXPECT_TRUE(Near(At(selected, {297, 197}), handle));
}

}  // namespace
}  // namespace korvi

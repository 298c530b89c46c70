// The main window's commands as a user reaches them: buttons, the menu items that forward to
// them with their captions and check marks, rotation of a selected sensor, and the two ways out.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include "display/PressDisplay.h"
#include "link/frmComData.h"
#include "platform/Colors.h"
#include "settings/DrawSetting.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/WindowMouse.h"

namespace korvi {
namespace {

class WindowCommands : public test::ProgramFixture {
  protected:
    void SetUp() override {
        folder.copyDemo();
        ASSERT_TRUE(Start());
    }
};

TEST_F(WindowCommands, MenuItemsForwardToTheirButtonsWithTheirOwnCaptionsAndMarks) {
    frmDemo& w = *window();
    // Frames: the button names what a click will do; the menu item keeps its own mark.
    QTest::mouseClick(w.cmdDispSensor, Qt::LeftButton);
    EXPECT_EQ(w.cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 ON"));
    EXPECT_FALSE(w.layout().ShowSensorFrames || w.SensFrameDisp->isChecked());
    w.SensFrameDisp->trigger();
    EXPECT_TRUE(w.SensFrameDisp->isChecked());
    EXPECT_EQ(w.cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 OFF"));

    // Display mode: the button's caption names the mode; only the menu changes the menu's text.
    QTest::mouseClick(w.cmdDispBmp, Qt::LeftButton);
    EXPECT_EQ(w.cmdDispBmp->text() + w.DispPoint->text(), QStringLiteral("BMP表示点表示"));
    w.DispPoint->trigger();
    EXPECT_EQ(w.cmdDispBmp->text() + w.DispPoint->text(), QStringLiteral("点表示BMP表示"));
    EXPECT_TRUE(boxes.shown.empty()) << "the demo footprints load";

    // Trace: the menu item and the check box follow each other (the red shows on the screen:
    // the screenshot test).
    w.CoseDisp->trigger();
    EXPECT_TRUE(w.chkTrace->isChecked() && w.display().chkTrace);
    QTest::mouseClick(w.chkTrace, Qt::LeftButton);
    EXPECT_FALSE(w.chkTrace->isChecked() || w.CoseDisp->isChecked() || w.display().chkTrace);
}

// The trace follows the box's value however it changes, not only a click: the keyboard, an
// assistive technology's toggle action, code.
TEST_F(WindowCommands, TraceFollowsTheBoxToggledWithoutAClick) {
    frmDemo& w = *window();
    const auto state = [&w] {
        return QStringLiteral("%1%2%3")
            .arg(int{w.chkTrace->isChecked()})
            .arg(int{w.display().chkTrace})
            .arg(int{w.CoseDisp->isChecked()});
    };
    QTest::keyClick(w.chkTrace, Qt::Key_Space);
    EXPECT_EQ(state(), "111") << "keyboard";
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(w.chkTrace);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->actionInterface(), nullptr);
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(state(), "000") << "assistive toggle";
    w.chkTrace->setChecked(true);
    EXPECT_EQ(state(), "111") << "code";
    w.chkTrace->toggle();
    EXPECT_EQ(state(), "000") << "code";
}

TEST_F(WindowCommands, ReadingAfterARotationLandsWhereTheRotationPutsTheOrigin) {
    LoadDrawSetting(folder.file(QStringLiteral("DrawSetting1.ini")), program->context().drawSetting,
                    boxes);
    const auto color =
        static_cast<uint32_t>(program->context().drawSetting.PressColorTable.back().Color);
    PictureBox& frame = *window()->layout().picPressSens[0];
    window()->layout().picSensor[0]->hide();
    frame.Move(3000, 2000, 600, 600);  // 40 x 40 pixels
    frame.show();
    // Selected, then the command button clicked, both through the window.
    test::WindowMouse mouse(&frame);
    mouse.click(mouse.at(&frame, QPointF(28, 28)));
    mouse.click(mouse.at(window()->cmdRotate, QPointF(10, 10)));
    ASSERT_EQ(window()->layout().SensorRotation[0], 90);

    // Raw (0, 0) at rotation 90 is the bottom-right corner of the frame.
    window()->display().DrawReading(0, 255, 0, 0);
    const Canvas& c = frame.canvas();
    EXPECT_TRUE(c.pixel(38, 38) == color && c.pixel(2, 38) == kWhite && c.pixel(38, 2) == kWhite);
    EXPECT_EQ(c.pixel(37, 20), kBlack);  // the origin tick on the right edge
}

// The frame's border lies outside its drawing: what the window shows of the frame, its outermost
// pixels included, is the drawing, and the border ring is just around it.
TEST_F(WindowCommands, FrameBorderLeavesTheMarksAtTheEdgeWhole) {
    DrawSetting& setting = program->context().drawSetting;
    setting.PressColorTable = {{1, 255, 0x0000FF, 12}};
    setting.PressThresh = 0;
    PictureBox& frame = *window()->layout().picPressSens[0];
    window()->layout().picSensor[0]->hide();
    frame.Move(3000, 2000, 600, 600);  // 40 x 40 pixels at (200, 133)
    frame.show();
    window()->display().DrawReading(0, 255, 0, 0);  // raw (0, 0): the bottom-left corner
    QCoreApplication::processEvents();
    const QImage shown = window()->form().grab().toImage();
    const auto at = [&shown](int x, int y) { return shown.pixel(200 + x, 133 + y); };
    const QRgb red = qRgb(255, 0, 0);
    const QRgb border = qRgb(64, 64, 64);
    // The mark fills the corner to the last pixel; the origin tick reaches the bottom row.
    EXPECT_EQ(at(0, 39), red);
    EXPECT_EQ(at(0, 28), red);
    EXPECT_EQ(at(11, 39), red);
    EXPECT_EQ(at(20, 39), qRgb(0, 0, 0));
    EXPECT_EQ(at(39, 0), qRgb(255, 255, 255));
    EXPECT_EQ(at(39, 39), qRgb(255, 255, 255));
    for (int i = -1; i <= 40; ++i) {
        EXPECT_EQ(at(i, -1), border) << i;
        EXPECT_EQ(at(i, 40), border) << i;
        EXPECT_EQ(at(-1, i), border) << i;
        EXPECT_EQ(at(40, i), border) << i;
    }
}

TEST_F(WindowCommands, QuitButtonStopsTheControllerButTheMenuEndsAtOnce) {
    QTest::mouseClick(window()->cmdComm, Qt::LeftButton);
    ASSERT_EQ(serial.written, "r\r");
    QSignalSpy ended(window(), &frmDemo::endProgram);
    window()->Quit->trigger();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(serial.written, "r\r") << "the menu sends nothing";

    QTest::mouseClick(window()->cmdQuit, Qt::LeftButton);
    EXPECT_EQ(serial.written, "r\rs\r");
    EXPECT_FALSE(serial.isOpen() || window()->isVisible());
}

TEST_F(WindowCommands, ClosingTheMainWindowClosesTheMonitor) {
    QTest::mouseClick(window()->cmdComData, Qt::LeftButton);
    window()->DataWindow->trigger();
    ASSERT_TRUE(window()->monitor().IsOpen());
    window()->close();
    EXPECT_FALSE(window()->monitor().IsOpen());
}

}  // namespace
}  // namespace korvi

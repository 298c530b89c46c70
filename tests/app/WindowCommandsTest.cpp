// The main window's commands as a user reaches them: buttons, the menu items that forward to
// them with their captions and check marks, rotation of a selected sensor, and the two ways out.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "display/PressDisplay.h"
#include "link/frmComData.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "settings/DrawSetting.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

class WindowCommands : public ::testing::Test {
  protected:
    WindowCommands() {
        folder.copyDemo();
        program = std::make_unique<MainModule>(boxes, dialogs, sound, clock, serial);
        started = program->Main();
        window = program->window();
    }

    test::TempAppFolder folder;
    test::RecordingMessageBoxes boxes;
    test::ScriptedFileDialogs dialogs;
    test::RecordingSound sound;
    ManualClock clock;
    test::FakeSerialLine serial;
    std::unique_ptr<MainModule> program;
    frmDemo* window = nullptr;
    bool started = false;
};

TEST_F(WindowCommands, MenuItemsForwardToTheirButtonsWithTheirOwnCaptionsAndMarks) {
    ASSERT_TRUE(started);
    // Frames: the button names what a click will do; the menu item keeps its own mark.
    QTest::mouseClick(window->cmdDispSensor, Qt::LeftButton);
    EXPECT_EQ(window->cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 ON"));
    EXPECT_FALSE(window->layout().ShowSensorFrames);
    EXPECT_FALSE(window->SensFrameDisp->isChecked());
    window->SensFrameDisp->trigger();
    EXPECT_TRUE(window->SensFrameDisp->isChecked());
    EXPECT_EQ(window->cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 OFF"));

    // Display mode: the button's caption names the mode; only the menu changes the menu's text.
    QTest::mouseClick(window->cmdDispBmp, Qt::LeftButton);
    EXPECT_EQ(window->cmdDispBmp->text(), QStringLiteral("BMP表示"));
    EXPECT_EQ(window->DispPoint->text(), QStringLiteral("点表示"));
    window->DispPoint->trigger();
    EXPECT_EQ(window->DispPoint->text(), QStringLiteral("BMP表示"));
    EXPECT_EQ(window->cmdDispBmp->text(), QStringLiteral("点表示"));
    EXPECT_TRUE(boxes.shown.empty()) << "the demo footprints load";

    // Trace: the menu item and the check box follow each other; the box turns red while on.
    window->CoseDisp->trigger();
    EXPECT_TRUE(window->chkTrace->isChecked());
    EXPECT_TRUE(window->display().chkTrace);
    EXPECT_EQ(window->chkTrace->palette().color(QPalette::Window), ToQColor(kRed));
    QTest::mouseClick(window->chkTrace, Qt::LeftButton);
    EXPECT_FALSE(window->chkTrace->isChecked());
    EXPECT_FALSE(window->CoseDisp->isChecked());
    EXPECT_FALSE(window->display().chkTrace);
}

TEST_F(WindowCommands, ReadingAfterARotationLandsWhereTheRotationPutsTheOrigin) {
    ASSERT_TRUE(started);
    const QString setting = folder.file(QStringLiteral("DrawSetting1.ini"));
    LoadDrawSetting(setting, program->context().drawSetting, boxes);
    const uint32_t color =
        static_cast<uint32_t>(program->context().drawSetting.PressColorTable.back().Color);

    PictureBox& frame = *window->layout().picPressSens[0];
    window->layout().picSensor[0]->hide();
    frame.Move(3000, 2000, 600, 600);  // 40 x 40 pixels
    frame.show();
    QTest::mouseClick(&frame, Qt::LeftButton, {}, QPoint(20, 20));  // select it
    QTest::mouseClick(window->cmdRotate, Qt::LeftButton);
    ASSERT_EQ(window->layout().SensorRotation[0], 90);

    // Raw (0, 0) at rotation 90 is the bottom-right corner of the frame.
    window->display().DrawReading(0, 255, 0, 0);
    EXPECT_EQ(frame.canvas().pixel(38, 38), color);
    EXPECT_EQ(frame.canvas().pixel(2, 38), kWhite);
    EXPECT_EQ(frame.canvas().pixel(38, 2), kWhite);
    EXPECT_EQ(frame.canvas().pixel(37, 20), kBlack);  // the origin tick on the right edge
}

TEST_F(WindowCommands, QuitButtonStopsTheControllerButTheMenuEndsAtOnce) {
    ASSERT_TRUE(started);
    QTest::mouseClick(window->cmdComm, Qt::LeftButton);
    ASSERT_TRUE(serial.isOpen());
    ASSERT_EQ(serial.written, "r\r");
    QSignalSpy ended(window, &frmDemo::endProgram);
    window->Quit->trigger();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(serial.written, "r\r") << "the menu sends nothing";

    QTest::mouseClick(window->cmdQuit, Qt::LeftButton);
    EXPECT_EQ(serial.written, "r\rs\r");
    EXPECT_FALSE(serial.isOpen());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowCommands, ClosingTheMainWindowClosesTheMonitor) {
    ASSERT_TRUE(started);
    QTest::mouseClick(window->cmdComData, Qt::LeftButton);
    window->DataWindow->trigger();
    ASSERT_TRUE(window->monitor().IsOpen());
    window->close();
    EXPECT_FALSE(window->monitor().IsOpen());
}

}  // namespace
}  // namespace korvi

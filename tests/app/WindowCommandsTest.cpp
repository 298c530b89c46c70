// The main window's commands as a user reaches them: buttons, the menu items that forward to
// them with their captions and check marks, rotation of a selected sensor, and the two ways out.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "display/PressDisplay.h"
#include "display/SoundRules.h"
#include "link/frmComData.h"
#include "platform/Colors.h"
#include "recording/CsvRecorder.h"
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
    test::Click(w.cmdDispSensor);
    EXPECT_EQ(w.cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 ON"));
    EXPECT_FALSE(w.layout().ShowSensorFrames || w.SensFrameDisp->isChecked());
    w.SensFrameDisp->trigger();
    EXPECT_TRUE(w.SensFrameDisp->isChecked());
    EXPECT_EQ(w.cmdDispSensor->text(), QStringLiteral("ｾﾝｻ枠表示 OFF"));

    // Display mode: the button's caption names the mode; only the menu changes the menu's text.
    test::Click(w.cmdDispBmp);
    EXPECT_EQ(w.cmdDispBmp->text() + w.DispPoint->text(), QStringLiteral("BMP表示点表示"));
    w.DispPoint->trigger();
    EXPECT_EQ(w.cmdDispBmp->text() + w.DispPoint->text(), QStringLiteral("点表示BMP表示"));
    EXPECT_TRUE(boxes.shown.empty()) << "the demo footprints load";

    // Trace: the menu item, the check box and the display follow each other, however the box
    // changes (the red shows on the screen: the screenshot test).
    w.CoseDisp->trigger();
    EXPECT_TRUE(w.chkTrace->isChecked() && w.display().chkTrace);
    test::Click(w.chkTrace);
    EXPECT_FALSE(w.chkTrace->isChecked() || w.CoseDisp->isChecked() || w.display().chkTrace);
    w.chkTrace->setChecked(true);
    EXPECT_TRUE(w.CoseDisp->isChecked() && w.display().chkTrace);
}

// One reading from the line reaches each of its users whole and in its own field order: the
// display (where the rotation puts it), the CSV recording and the sound rules.
TEST_F(WindowCommands, ReadingFromTheLineReachesDisplayRecordingAndSoundRules) {
    folder.write(QStringLiteral("DrawSetting1.ini"),
                 test::DrawSettingFile({"0,FF,&H0000E0,10"},
                                       "PressThresh=10\r\nSoundFile1=Sound\\tap.wav\r\n"
                                       "PlayCondition1=0,0,0-FFF,0-FFF,20-FF,1,1\r\n"));
    PictureBox& frame = PlaceFrame(0, 3000, 2000);
    // Selected, then the command button clicked, both through the window.
    test::WindowMouse mouse(&frame);
    mouse.click(mouse.at(&frame, QPointF(28, 28)));
    mouse.click(mouse.at(window()->cmdRotate, QPointF(10, 10)));
    ASSERT_EQ(window()->layout().SensorRotation[0], 90);

    // From the line: sensor 0, pressure 240, X 0, Y 4095 after one skipped line. At rotation 90
    // the raw origin is the bottom-right corner and Y grows to the left: the bottom-left corner.
    test::Click(window()->cmdComm);
    serial.pushIncoming("r00\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return serial.written == "r\rd\r"; }, 2000));
    test::Click(window()->btnSaveCsv);
    serial.pushIncoming("d0FF00FF0F\r\nd0F000FF0F\r\n");
    const Canvas& c = frame.canvas();
    // The 40 x 40 frame draws on its inner 38 x 38 pixels.
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.pixel(2, 36) == 0x0000E0u; }, 2000));
    EXPECT_TRUE(c.pixel(36, 36) == kWhite && c.pixel(36, 2) == kWhite && c.pixel(2, 2) == kWhite);
    EXPECT_EQ(c.pixel(35, 19), kBlack);  // the origin tick on the right edge
    const std::vector<SoundFrame>& frames = window()->soundRules().SoundFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ((std::vector<int>{frames[0].Sensor, frames[0].Press, frames[0].X, frames[0].Y}),
              (std::vector<int>{0, 240, 0, 4095}));
    const QString recording = window()->csv().FilePath();
    test::Click(window()->cmdComm);
    EXPECT_EQ(test::ReadFile(recording), test::kRecordingHeader + "0,240,0,4095\r\n");
}

TEST_F(WindowCommands, BothQuitsEndTheRecordingButOnlyTheButtonStopsTheController) {
    test::Click(window()->cmdComm);
    ASSERT_EQ(serial.written, "r\r");
    test::Click(window()->btnSaveCsv);
    QSignalSpy ended(window(), &frmDemo::endProgram);
    window()->Quit->trigger();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(serial.written, "r\r") << "the menu sends nothing";
    EXPECT_EQ(window()->btnSaveCsv->text(), QStringLiteral("CSV出力"));

    test::Click(window()->btnSaveCsv);
    ASSERT_EQ(window()->csv().CsvMode(), 2);
    test::Click(window()->cmdQuit);
    EXPECT_EQ(window()->csv().CsvMode(), 0);
    EXPECT_EQ(serial.written, "r\rs\r");
    EXPECT_FALSE(serial.isOpen() || window()->isVisible());
}

TEST_F(WindowCommands, SilentControllerIsAskedTenTimes300MillisecondsApartThenGivenUp) {
    test::Click(window()->cmdComm);
    ASSERT_EQ(serial.written, "r\r");
    clock.advance(300);
    QTest::qWait(400);
    EXPECT_EQ(serial.written, "r\r") << "asked again before 300 ms had passed";
    for (int asked = 2; asked <= 10; ++asked) {
        clock.advance(asked == 2 ? 1 : 301);
        ASSERT_TRUE(QTest::qWaitFor([&] { return serial.written.count("r\r") == asked; }, 3000));
    }
    EXPECT_TRUE(boxes.shown.empty());
    clock.advance(301);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.empty(); }, 3000));
    EXPECT_EQ(serial.written, QByteArray("r\r").repeated(10) + "s\r");
    EXPECT_EQ(boxes.shown[0].title + ": " + boxes.shown[0].text,
              QStringLiteral("通信エラー: 応答がありません"));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(window()->cmdComm->text(), QStringLiteral("通信開始"));
    EXPECT_TRUE(window()->cboDrawSetting->isEnabled());
}

TEST_F(WindowCommands, StopWaitsAtMostHalfASecondForAControllerThatKeepsSending) {
    test::Click(window()->cmdComm);
    serial.pushIncoming("r00\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return serial.written == "r\rd\r"; }, 2000));
    serial.inFlight = 1;
    test::Click(window()->cmdComm);
    EXPECT_EQ(serial.written, "r\rd\rs\r");
    clock.advance(500);
    QTest::qWait(50);
    EXPECT_TRUE(serial.isOpen()) << "the wait was cut short";
    clock.advance(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !serial.isOpen(); }, 2000));
    EXPECT_EQ(window()->cmdComm->text(), QStringLiteral("通信開始"));
}

TEST_F(WindowCommands, SaveWithNoSensorPlacedIsRefusedBeforeTheDialog) {
    test::Click(window()->cmdSave);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("保存するセンサがありません。"));
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Error!"));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(WindowCommands, ClosingTheMainWindowClosesTheMonitor) {
    test::Click(window()->cmdComData);
    window()->DataWindow->trigger();
    ASSERT_TRUE(window()->monitor().IsOpen());
    window()->close();
    EXPECT_FALSE(window()->monitor().IsOpen());
}

}  // namespace
}  // namespace korvi

// "画像保存..." on a real X server (Xvfb): the saved PNG is what the screen shows of the plate and
// the placed sensors. Runs only through ctest's screenshot entry (KORVI_SCREENSHOT_DIR set, xcb);
// elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "app/DisplayPicture.h"
#include "app/frmReplay.h"
#include "layout/SensorLayout.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"

namespace korvi {
namespace {

class PictureScreenshot : public test::ProgramFixture {
  protected:
    void SetUp() override {
        outDir = test::ScreenshotDir();
        if (outDir.isEmpty()) {
            GTEST_SKIP() << "needs an X server (run through ctest's screenshot entries)";
        }
        QDir().mkpath(outDir);
        folder.copyDemo();
        folder.write(
            QStringLiteral("DrawSetting1.ini"),
            "[Disp_Setting]\r\nPressColor0=1,40,&H00C000,3\r\nPressColor1=41,FF,&H0000E0,6\r\n"
            "PressThresh=10\r\nTraceSize=30\r\n[ExcelOut]\r\nSampling=0\r\nAllTime=0\r\n");
        ASSERT_TRUE(Start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    QString outDir;
};

TEST_F(PictureScreenshot, SavedPictureIsWhatTheScreenShowsOfThePlateAndTheSensors) {
    frmDemo& w = *window();
    SensorLayout& l = w.layout();
    l.picBaseSens->Move(1500, 1500, 7500, 5400);
    l.picBaseSens->show();
    for (int sensor = 0; sensor < 4; ++sensor) {
        l.picSensor[sensor]->hide();
        l.picPressSens[sensor]->Move(2200.0f + 1800.0f * float(sensor), 2200, 1200, 1200);
        l.picPressSens[sensor]->show();
    }
    l.picSensor[4]->hide();
    l.picPressSens[4]->Move(9600, 2200, 1200, 1200);  // beside the plate
    l.picPressSens[4]->show();
    DrawSensorFrames(l, true);
    test::Click(w.chkTrace);
    ASSERT_TRUE(w.chkTrace->isChecked());

    // A stroke over each sensor, played back from a recording and shown to its end.
    QByteArray csv = test::kRecordingHeader;
    for (int k = 0; k < 60; ++k) {
        csv += QStringLiteral("%1,%2,%3,%4\r\n")
                   .arg(k % 5)
                   .arg(k % 7 == 0 ? 5 : 60 + 3 * k)
                   .arg(300 + 60 * k)
                   .arg(3800 - 55 * k)
                   .toLatin1();
    }
    folder.write(QStringLiteral("stroke.csv"), csv);
    dialogs.answers.push_back(folder.file(QStringLiteral("stroke.csv")));
    w.ReplayRecord->trigger();
    ASSERT_NE(w.replayBar(), nullptr);
    w.replayBar()->sldPosition->setValue(60);
    w.replayBar()->close();

    dialogs.answers.push_back(QDir(outDir).filePath(QStringLiteral("saved-display")));
    w.SavePicture->trigger();
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    const QImage saved(QDir(outDir).filePath(QStringLiteral("saved-display.png")), "PNG");
    ASSERT_FALSE(saved.isNull());

    const QImage screen = test::GrabScreen(outDir, "saved-display-screen.png");
    const QRect area = DisplayArea(l);
    // The plate's left and top edges to sensor 4's right edge: 1500..10800 x 1500..6900 twips.
    EXPECT_EQ(area, QRect(100, 100, 620, 360));
    ASSERT_EQ(saved.size(), area.size());
    const QImage shown = screen.copy(QRect(w.form().mapToGlobal(area.topLeft()), area.size()));
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
              saved.convertToFormat(QImage::Format_RGB32));

    // The marks are in it: the strong presses of the trace in red.
    EXPECT_GT(test::CountColour(saved, qRgb(0xE0, 0, 0)), 200);
}

}  // namespace
}  // namespace korvi

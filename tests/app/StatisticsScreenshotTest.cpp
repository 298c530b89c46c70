// The statistics window's views on the real main window on a real X server (Xvfb), read back
// from the screen: the centre of pressure's cross and path over the base plate, the pressure
// chart's tick boxes and the peak map, fed by a recording replayed row by row. Runs only through
// ctest's screenshot entry; elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QStyle>
#include <QStyleOptionViewItem>

#include "app/CentreOverlay.h"
#include "app/frmReplay.h"
#include "app/frmStatistics.h"
#include "display/PressDisplay.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Screen.h"
#include "tests/support/WindowMouse.h"

namespace korvi {
namespace {

using test::Click;
using test::CountColour;

class StatisticsScreenshot : public test::ProgramFixture {
  protected:
    void SetUp() override {
        outDir = test::ScreenshotDir();
        if (outDir.isEmpty()) {
            GTEST_SKIP() << "needs an X server (run through ctest's screenshot entry)";
        }
        folder.copyDemo();
        // Pressures 1..40 green dots of radius 3, 41..255 red ones of radius 6.
        folder.write(QStringLiteral("DrawSetting1.ini"),
                     "[Disp_Setting]\r\nPressColor0=1,40,&H00C000,3\r\n"
                     "PressColor1=41,FF,&H0000E0,6\r\nPressThresh=10\r\nTraceSize=6\r\n");
        ASSERT_TRUE(StartShown());
    }
    QString outDir;
};

// The plate at 100, 80 pixels of the window; frames 1 and 2 on it at (130, 130) and (200, 130),
// 60 pixels square (58 x 58 of drawing). The recording presses sensor 1 at raw (1000, 2000) and
// (2000, 2000), releases it, and presses sensor 2 at raw (4000, 1000): marks at drawing pixels
// (14, 30), (28, 30) and (57, 44), which the plate puts at plate pixels (44, 80), (58, 80) and
// (157, 94).
TEST_F(StatisticsScreenshot, CentreCrossPathAndPeakMapOfAReplayedRecording) {
    SensorLayout& l = window()->layout();
    l.picBaseSens->Move(1500, 1200, 6000, 4800);
    l.picBaseSens->show();
    PlaceFrame(0, 1950, 1950, 900, 900);
    PlaceFrame(1, 3000, 1950, 900, 900);
    DrawSensorFrames(l, true);

    window()->Statistics->trigger();
    frmStatistics* stats = window()->statisticsWindow();
    ASSERT_NE(stats, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(stats));
    stats->move(window()->frameGeometry().right() + 10, 0);  // beside, not over the plate
    EXPECT_EQ(stats->txtPathSpan->value(), 3);
    Click(stats->chkCentrePath);

    QByteArray recording = test::kRecordingHeader;
    recording +=
        "0,100,1000,2000\r\n0,200,2000,2000\r\n0,0,0,0\r\n1,50,4000,1000\r\n"
        "1,150,2048,2048\r\n1,30,2048,2048\r\n1,30,2600,2048\r\n";
    folder.write(QStringLiteral("centre.csv"), recording);
    dialogs.answers.push_back(folder.file(QStringLiteral("centre.csv")));
    window()->ReplayRecord->trigger();
    frmReplay* bar = window()->replayBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar));
    bar->move(0, window()->frameGeometry().bottom() + 10);
    const auto step = [&](int rows) {
        for (int n = 0; n < rows; ++n) {
            Click(bar->cmdStep);
            clock.advance(100);
            QTest::qWait(4 * CentreOverlay::kSampleMs);  // the overlay looks at each place
        }
    };
    step(4);
    clock.advance(1000);  // the path's places 1.3 and 1.2 s old, inside its 3 s
    QTest::qWait(4 * CentreOverlay::kSampleMs);

    const QPoint plate = l.picBaseSens->mapToGlobal(QPoint(0, 0));
    QImage screen = test::GrabScreen(outDir, "centre-cross.png");
    const QRgb cross = qRgb(255, 0, 0);
    const QRgb path = qRgb(255, 128, 0);
    // The cross: 13 pixels each way through (157, 94), no more.
    const QPoint centre = plate + QPoint(157, 94);
    EXPECT_EQ(CountColour(screen, cross, QRect(centre - QPoint(6, 0), QSize(13, 1))), 13);
    EXPECT_EQ(CountColour(screen, cross, QRect(centre - QPoint(0, 6), QSize(1, 13))), 13);
    const QRect plateArea(plate, l.picBaseSens->size());
    EXPECT_EQ(CountColour(screen, cross, plateArea), 25);  // no cross left where it stood before
    // The path joins the two places of sensor 1's press, and breaks where nothing was pressed.
    EXPECT_EQ(CountColour(screen, path, QRect(plate + QPoint(44, 80), QSize(15, 1))), 15);
    EXPECT_EQ(CountColour(screen, path, plateArea), 15);

    // The chart draws what its tick box in sensor 2's row says.
    QTableWidgetItem* row2 = stats->tblStatistics->item(1, 0);
    QStyleOptionViewItem option;
    option.initFrom(stats->tblStatistics);
    option.rect = stats->tblStatistics->visualItemRect(row2);
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect tick = stats->tblStatistics->style()->subElementRect(
        QStyle::SE_ItemViewItemCheckIndicator, &option, stats->tblStatistics);
    Click(stats->tblStatistics->viewport(), tick);
    EXPECT_EQ(row2->checkState(), Qt::Checked);
    EXPECT_TRUE(stats->picChart->ticked[1]);
    stats->picChart->grab();  // as the window's chart timer draws it, wherever the window stands
    // Drawn when ticked, with sensor 2's rise from 0 to 50 1.1 s back near its right end (89 %
    // of the way in); four seconds on, the picture's shift has carried the rise to 49 %: 0 at
    // 45 %, 50 at 55 %, both in the part shifted, not drawn anew.
    clock.advance(4000);
    const QImage chart = stats->picChart->grab().toImage();
    const auto rowOfLine = [&chart](int x) {
        for (int y = 1; y < chart.height() - 1; ++y) {
            const QRgb c = chart.pixel(x, y);
            if (qGreen(c) > 150 && qRed(c) < 60) {
                return y;
            }
        }
        return -1;
    };
    const int inner = chart.height() - 2;  // rows 1 .. height - 2: 255 at the top, 0 at the bottom
    EXPECT_NEAR(rowOfLine(chart.width() * 45 / 100), inner, 1);
    EXPECT_NEAR(rowOfLine(chart.width() * 55 / 100), 1 + (inner - 1) * (1 - 50 / 255.0), 1);

    // The cross off, the peak map on: the display starts clean, and the presses on sensor 2
    // leave their highest dot on each place: 150 at (29, 29) keeps its red dot (radius 6, pixels
    // 23..35) under the lighter press there; the lighter one at (37, 29) shows green only beyond
    // it (pixels 36..40).
    Click(stats->chkCentrePath);
    Click(stats->cmdPeakMap);
    EXPECT_TRUE(window()->display().PeakMapOn());
    EXPECT_TRUE(window()->PeakMap->isChecked());
    step(3);
    screen = test::GrabScreen(outDir, "peak-map.png");
    EXPECT_EQ(CountColour(screen, cross), 0);
    const QPoint drawing = l.picPressSens[1]->mapToGlobal(QPoint(1, 1));
    const QRgb red = qRgb(224, 0, 0);
    const QRgb green = qRgb(0, 192, 0);
    EXPECT_EQ(CountColour(screen, red, QRect(drawing + QPoint(23, 29), QSize(13, 1))), 13);
    EXPECT_EQ(CountColour(screen, green, QRect(drawing + QPoint(36, 29), QSize(5, 1))), 5);
    EXPECT_EQ(CountColour(screen, green, QRect(drawing + QPoint(0, 29), QSize(36, 1))), 0);

    // Off from the menu: the window's button follows and the display is clean again.
    window()->PeakMap->trigger();
    EXPECT_FALSE(stats->cmdPeakMap->isChecked());
    screen = test::GrabScreen(outDir, "peak-map-off.png");
    EXPECT_EQ(CountColour(screen, red, QRect(drawing, QSize(58, 58))), 0);
}

}  // namespace
}  // namespace korvi

// The session's figures from a short recording worked out by hand, and the layout's centre of
// pressure from marks the display drew on frames at known places and rotations.
#include <gtest/gtest.h>

#include "analysis/CentreOfPressure.h"
#include "analysis/PressStatistics.h"
#include "analysis/PressureHistory.h"
#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

TEST(PressStatistics, ARecordingWorkedOutByHand) {
    PressStatistics stats;
    stats.Clear(1000);
    const struct {
        int sensor, pressure, x, y;
        uint32_t ms;
    } rows[] = {{0, 0, 0, 0, 1000},   {0, 100, 1000, 2000, 1100}, {0, 200, 2000, 2000, 1200},
                {0, 0, 0, 0, 1300},   {0, 50, 4000, 1000, 1400},  {3, 10, 100, 100, 1500},
                {16, 99, 5, 5, 1600}, {-1, 99, 5, 5, 1600}};
    for (const auto& r : rows) {
        stats.Add(r.sensor, r.pressure, r.x, r.y, r.ms);
    }
    // At 2000 ms: a session of 1 s; sensor 1's second press is still held (600 ms so far).
    const SensorSummary s0 = stats.Summary(0, 2000);
    EXPECT_EQ(s0.readings, 5);
    EXPECT_EQ(s0.presses, 2);
    EXPECT_EQ(s0.peak, 200);
    EXPECT_DOUBLE_EQ(s0.meanWhilePressed, 350.0 / 3);
    EXPECT_DOUBLE_EQ(s0.pressedSeconds, 0.8);
    EXPECT_DOUBLE_EQ(s0.pressedShare, 0.8);
    EXPECT_DOUBLE_EQ(s0.centreX, 2000);
    EXPECT_NEAR(s0.centreY, 1857.142857, 1e-6);
    EXPECT_NEAR(s0.spreadX, 925.820100, 1e-6);
    EXPECT_NEAR(s0.spreadY, 349.927106, 1e-6);

    EXPECT_EQ(stats.Summary(1, 2000).readings, 0);  // sensor numbers outside 0..15 not counted

    // A new session forgets everything; a press across the clock's wrap lasts what it lasted.
    stats.Clear(0xFFFFFF00u);
    stats.Add(5, 30, 0, 0, 0xFFFFFFF0u);
    stats.Add(5, 0, 0, 0, 0x10u);
    EXPECT_EQ(stats.Summary(0, 0x10u).readings, 0);
    EXPECT_DOUBLE_EQ(stats.Summary(5, 0x10u).pressedSeconds, 0.032);
    EXPECT_DOUBLE_EQ(stats.SessionSeconds(0x10u), 0.272);
}

// Sensor 1 at 3000, 1500 and sensor 2 at 6000, 1500 twips, each drawing on 40 x 30 pixels;
// sensor 1 pressed with 100 at raw (4095, 0), sensor 2 with 200 at raw (0, 0). The rotation puts
// each raw point on a corner of its frame (15 twips a pixel).
TEST(LayoutCentre, MarksOfTwoFramesWeightedByPressureAtEachRotation) {
    DrawSetting setting;
    setting.PressColorTable = {{1, 255, 0x0000FF, 3}};
    setting.PressThresh = 0;
    QTemporaryDir bmp;
    Rig rig(setting, bmp.path());
    rig.Show(0, 3000, 1500, 40, 30);
    rig.Show(1, 6000, 1500, 40, 30);
    EXPECT_EQ(LayoutCentre(rig.layout), std::nullopt);
    const struct {
        int16_t rotation;
        WindowPoint centre;
    } cases[] = {{0, {5200, 1950}}, {90, {5600, 1800}}, {180, {5400, 1500}}, {270, {5000, 1650}}};
    for (const auto& c : cases) {
        rig.layout.SensorRotation[0] = rig.layout.SensorRotation[1] = c.rotation;
        rig.display.DrawReading(0, 100, 4095, 0);
        rig.display.DrawReading(1, 200, 0, 0);
        EXPECT_EQ(LayoutCentre(rig.layout), c.centre) << c.rotation;
    }
    // Released sensors and hidden frames leave the centre; none pressed leaves no centre.
    rig.display.DrawReading(0, 0, 0, 0);
    EXPECT_EQ(LayoutCentre(rig.layout), (WindowPoint{6000, 1500}));  // at 270: the top left
    rig.layout.picPressSens[1]->hide();
    EXPECT_EQ(LayoutCentre(rig.layout), std::nullopt);
}

TEST(CentrePath, KeepsTheLastSecondsAndBreaksWhereNothingWasPressed) {
    CentrePath path;
    path.Add(100, WindowPoint{1, 1});
    path.Add(200, WindowPoint{2, 2});
    path.Add(300, std::nullopt);
    path.Add(400, WindowPoint{4, 4});
    path.Add(500, WindowPoint{5, 5});
    QString seen;
    path.ForEachSince(500, 350, [&seen](WindowPoint p, bool joined) {
        seen += QStringLiteral("%1%2 ").arg(joined ? "-" : "").arg(p.x);
    });
    EXPECT_EQ(seen, QStringLiteral("2 4 -5 "));  // 100 ms is more than 350 ms ago
}

// The highest pressure of each 10 ms; where no reading came, the one last read before.
TEST(PressureHistory, TenMillisecondStepsHoldTheLastPressure) {
    PressureHistory history;
    history.Add(0, 100, 1000);
    history.Add(0, 50, 1005);  // the same 10 ms: the higher one stays
    history.Add(0, 0, 1030);
    history.Add(1, 77, 500);  // before the span asked for, still in force during it
    history.Add(2, 10, 0);
    history.Add(-1, 99, 1000);
    EXPECT_EQ(history.Samples(0, 1049, 60), (std::vector<int>{0, 100, 100, 100, 0, 0}));
    EXPECT_EQ(history.Samples(1, 1049, 60), (std::vector<int>(6, 77)));
    EXPECT_EQ(history.Samples(0, 1049, 120000).size(), 6000u);  // a minute at most
    // A reading more than a minute old is gone, its place in the ring taken.
    history.Add(2, 20, 60000);
    EXPECT_EQ(history.Samples(2, 60009, 20), (std::vector<int>{0, 20}));
    history.Clear();
    EXPECT_EQ(history.Samples(0, 1049, 30), (std::vector<int>{0, 0, 0}));
}

}  // namespace
}  // namespace korvi::test

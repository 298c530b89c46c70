// The rules that turn a reading into what the user sees and hears: the pressure bands, where a raw
// position lands on a turned panel, the beep's pitch, and the once-a-second sound rules (periods,
// hit counts, ranges, the sequence condition, the repeat guard and the sound switch, driven tick
// by tick).
#include <gtest/gtest.h>

#include <QTest>

#include "display/Beep.h"
#include "display/PanelMapping.h"
#include "display/PressLookup.h"
#include "display/SoundRules.h"
#include "settings/DrawSetting.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

TEST(PressLookup, FirstMatchingBandWinsAndUncoveredPressuresGiveNothing) {
    const std::vector<PressColorEntry> table = {{1, 50, 0x0000FF, 3}, {40, 255, 0xFF0000, 7}};
    // 45 and 50 lie in both bands and take the first; each band holds its own bounds; 0 and 256
    // lie in none.
    const int cases[][3] = {{45, 0x0000FF, 3}, {50, 0x0000FF, 3},  {1, 0x0000FF, 3},
                            {51, 0xFF0000, 7}, {255, 0xFF0000, 7}, {0, 0, 0},
                            {256, 0, 0}};
    for (const auto& [pressure, color, radius] : cases) {
        const auto p = static_cast<int16_t>(pressure);
        EXPECT_TRUE(GetPressColor(table, p) == static_cast<uint32_t>(color) &&
                    GetPressRadius(table, p) == radius)
            << pressure;
    }
    EXPECT_TRUE(GetPressColor({}, 120) == 0u && GetPressRadius({}, 120) == 0);
}

TEST(PanelMapping, RawOriginFarCornerAndTheDirectionsOfXAndYFollowTheRotation) {
    // On a 40 x 30 panel: rotation, then where raw (0, 0), raw (4095, 4095) and raw (819, 2457)
    // land. The last is a fifth of X's and three fifths of Y's full scale: 8 pixels along X and
    // 18 along Y from the raw origin at rotation 0, 6 along X and 24 along Y when turned.
    const int cases[][7] = {{0, 0, 30, 40, 0, 8, 12},
                            {90, 40, 30, 0, 0, 16, 24},
                            {180, 40, 0, 0, 30, 32, 18},
                            {270, 0, 0, 40, 30, 24, 6},
                            {45, 0, 30, 40, 0, 8, 12}};
    for (const auto& [rotation, x0, y0, x1, y1, xm, ym] : cases) {
        const auto r = static_cast<int16_t>(rotation);
        const PanelPoint origin = MapToPanel(r, 0, 0, 40, 30);
        const PanelPoint far = MapToPanel(r, 4095, 4095, 40, 30);
        const PanelPoint inner = MapToPanel(r, 819, 2457, 40, 30);
        EXPECT_TRUE(origin.x == x0 && origin.y == y0 && far.x == x1 && far.y == y1) << rotation;
        EXPECT_TRUE(inner.x == xm && inner.y == ym) << rotation;
    }
}

TEST(PanelMapping, HalfPixelResultsRoundToTheEvenNeighbour) {
    // Extents whose scale factor is exactly 2.5 and 3.5 pixels per raw step.
    const double w25 = 4095 * 2.5;
    const double w35 = 4095 * 3.5;
    EXPECT_EQ(MapToPanel(0, 1, 0, w25, 10).x, 2);
    EXPECT_EQ(MapToPanel(0, 1, 0, w35, 10).x, 4);
    EXPECT_EQ(MapToPanel(0, 0, 4094, 10, w25).y, 2);     // H - 4094 * 2.5 = 2.5
    EXPECT_EQ(MapToPanel(180, 4092, 0, w35, 10).x, 10);  // W - 4092 * 3.5 = 10.5
    EXPECT_EQ(MapToPanel(270, 0, 1, w35, 10).x, 4);
}

// The beep's pitch for each pressure, walked at the bounds where the pitch steps: the pressure is
// divided by 16 and rounded half to even, each step adds 96.25 Hz to 220 Hz, rounded half to even.
TEST(BeepPitch, RisesInStepsOfTheRoundedSixteenth) {
    const std::pair<int16_t, int> cases[] = {
        {0, 220},   {8, 220},   {9, 316},    {24, 412},   {40, 412},   {41, 509},
        {100, 798}, {128, 990}, {247, 1664}, {248, 1760}, {255, 1760},
    };
    for (const auto& [pressure, hz] : cases) {
        EXPECT_EQ(BeepFrequency(pressure), hz) << pressure;
    }
}

class SoundRulesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setting.HasSoundFiles = true;
        setting.SoundTable.resize(1);  // entry 0 stays empty
    }
    // Adds a rule accepting every reading of the sensors low..high (0: any sensor).
    SoundEntry& Add(const char* file, int16_t period, int16_t minCount, int16_t low = 0,
                    int16_t high = 0) {
        SoundEntry e;
        e.XHigh = e.YHigh = 4095;
        e.PressHigh = 255;
        e.Period = period;
        e.MinCount = minCount;
        e.SensorLow = low;
        e.SensorHigh = high;
        e.FileName = QString::fromLatin1(file);
        return setting.SoundTable.emplace_back(e);
    }
    // Collects `count` readings of sensor number `sensor` (label sensor + 1), then runs one tick
    // and returns the files started during it.
    QStringList Tick(int count, int16_t sensor = 0, bool soundOn = true) {
        for (int i = 0; i < count; ++i) {
            rules.CollectReading(sensor, 2000, 2000, 100);
        }
        sound.played.clear();
        rules.Tick(soundOn);
        return sound.played;
    }

    DrawSetting setting;
    test::RecordingSound sound;
    SoundRules rules{setting, sound};
};

TEST_F(SoundRulesTest, PlaysAtTheEndOfThePeriodOnlyWithEnoughHits) {
    Add("a.wav", 3, 5);
    // Each row: readings collected in each of the window's three ticks, what the third plays.
    // Four hits are too few and the window starts anew; five early in a window wait for its end.
    const struct {
        int hits[3];
        QStringList played;
    } windows[] = {{{2, 2, 1}, {"a.wav"}}, {{4, 0, 0}, {}}, {{5, 0, 0}, {"a.wav"}}};
    for (const auto& w : windows) {
        EXPECT_TRUE(Tick(w.hits[0]).isEmpty());
        EXPECT_TRUE(Tick(w.hits[1]).isEmpty());
        EXPECT_EQ(Tick(w.hits[2]), w.played);
    }
}

TEST_F(SoundRulesTest, SequenceConditionFollowsTheSoundPlayedBefore) {
    Add("first.wav", 0, 1);
    SoundEntry& second = Add("second.wav", 0, 1);
    second.PrevLow = second.PrevHigh = 1;
    // Nothing has played yet, so only the first sound counts; then the second may follow.
    EXPECT_EQ(Tick(1), QStringList{"first.wav"});
    EXPECT_EQ(Tick(1), QStringList{"second.wav"});
}

TEST_F(SoundRulesTest, GuardHoldsTheSameSoundForTwoTicksButNotAnother) {
    Add("a.wav", 0, 1);
    Add("b.wav", 0, 1, 5, 5);
    EXPECT_EQ(Tick(1), QStringList{"a.wav"});
    EXPECT_TRUE(Tick(1).isEmpty());
    EXPECT_TRUE(Tick(1).isEmpty());
    EXPECT_EQ(Tick(1), QStringList{"a.wav"});
    // A different sound may follow at once, and then the first is no longer held.
    EXPECT_EQ(Tick(1, 4), QStringList{"b.wav"});
    EXPECT_EQ(Tick(1), QStringList{"a.wav"});
}

TEST_F(SoundRulesTest, CountersKeepGrowingWhileSoundIsOffAndPlayWhenSwitchedOn) {
    Add("a.wav", 2, 2);
    for (int tick = 0; tick < 4; ++tick) {
        EXPECT_TRUE(Tick(20000, 0, false).isEmpty());
    }
    EXPECT_EQ(setting.SoundTable[1].HitCount, 32767);  // held at its largest value
    EXPECT_EQ(Tick(0), QStringList{"a.wav"});
    EXPECT_EQ(setting.SoundTable[1].HitCount, 0);
}

TEST_F(SoundRulesTest, EveryRangeCountsItsBoundsAndNothingBeyond) {
    SoundEntry& rule = Add("a.wav", 0, 1, 3, 4);  // labels 3 and 4: sensor numbers 2 and 3
    rule.XLow = 100;
    rule.XHigh = 200;
    rule.YLow = 300;
    rule.YHigh = 400;
    rule.PressLow = 50;
    rule.PressHigh = 60;
    // One reading a tick, each just inside or just outside one bound of (2, 150, 350, 55).
    const struct {
        int16_t sensor, x, y, press;
        bool plays;
    } cases[] = {{1, 150, 350, 55, false}, {2, 150, 350, 55, true},  {3, 150, 350, 55, true},
                 {4, 150, 350, 55, false}, {2, 99, 350, 55, false},  {2, 100, 350, 55, true},
                 {2, 200, 350, 55, true},  {2, 201, 350, 55, false}, {2, 150, 299, 55, false},
                 {2, 150, 300, 55, true},  {2, 150, 400, 55, true},  {2, 150, 401, 55, false},
                 {2, 150, 350, 49, false}, {2, 150, 350, 50, true},  {2, 150, 350, 60, true},
                 {2, 150, 350, 61, false}};
    for (const auto& c : cases) {
        rules.Reset();  // no repeat guard between the rows
        rules.CollectReading(c.sensor, c.x, c.y, c.press);
        sound.played.clear();
        rules.Tick(true);
        EXPECT_EQ(sound.played.size(), c.plays ? 1 : 0)
            << c.sensor << " " << c.x << " " << c.y << " " << c.press;
    }
}

TEST_F(SoundRulesTest, TimerEvaluatesOnceASecondAndOnlyWithSoundFiles) {
    Add("a.wav", 0, 1);
    SoundTimer timer(rules, [] { return true; });
    timer.Start(false);
    EXPECT_FALSE(timer.IsEnabled());
    timer.Start(true);
    rules.CollectReading(0, 2000, 2000, 100);
    QTest::qWait(600);
    EXPECT_TRUE(sound.played.isEmpty()) << "evaluated before a second had passed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sound.played.isEmpty(); }, 5000));
    EXPECT_EQ(sound.played, QStringList{"a.wav"});
    EXPECT_TRUE(timer.IsEnabled());  // on again after its tick
    timer.Stop();
    EXPECT_FALSE(timer.IsEnabled());
}

}  // namespace
}  // namespace korvi

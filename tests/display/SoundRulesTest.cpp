// The once-a-second sound rules: periods, hit counts, the sequence condition, the repeat guard and
// the sound switch, driven tick by tick.
#include <gtest/gtest.h>

#include "display/SoundRules.h"
#include "settings/DrawSetting.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

// A rule accepting every reading of every sensor unless narrowed by the test.
SoundEntry Rule(const char* file, int16_t period, int16_t minCount) {
    SoundEntry e;
    e.XHigh = 4095;
    e.YHigh = 4095;
    e.PressHigh = 255;
    e.Period = period;
    e.MinCount = minCount;
    e.FileName = QString::fromLatin1(file);
    return e;
}

class SoundRulesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setting.HasSoundFiles = true;
        setting.SoundTable.resize(1);  // entry 0 stays empty
    }
    void Add(const SoundEntry& e) { setting.SoundTable.push_back(e); }
    void Readings(int count, int16_t sensor = 0, int16_t press = 100) {
        for (int i = 0; i < count; ++i) {
            rules.CollectReading(sensor, 2000, 2000, press);
        }
    }
    // Runs one tick and returns the files started during it.
    QStringList Tick(bool soundOn = true) {
        sound.played.clear();
        rules.Tick(soundOn);
        return sound.played;
    }

    DrawSetting setting;
    test::RecordingSound sound;
    SoundRules rules{setting, sound};
};

TEST_F(SoundRulesTest, PlaysAtTheEndOfThePeriodOnlyWithEnoughHits) {
    Add(Rule("a.wav", 3, 5));

    Readings(2);
    EXPECT_TRUE(Tick().isEmpty());
    Readings(2);
    EXPECT_TRUE(Tick().isEmpty());
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"a.wav"});

    // Four hits are too few: the window starts anew, and five hits early in the new window
    // still wait for its end.
    Readings(4);
    Tick();
    Tick();
    Tick();
    Readings(5);
    EXPECT_TRUE(Tick().isEmpty());
    EXPECT_TRUE(Tick().isEmpty());
    EXPECT_EQ(Tick(), QStringList{"a.wav"});
}

TEST_F(SoundRulesTest, PeriodZeroIsEvaluatedAtEveryTick) {
    Add(Rule("a.wav", 0, 1));
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"a.wav"});
}

TEST_F(SoundRulesTest, ReadingsCountOnlyInsideEveryRange) {
    SoundEntry any = Rule("any.wav", 0, 1);
    SoundEntry label2 = Rule("label2.wav", 0, 1);
    label2.SensorLow = 2;
    label2.SensorHigh = 2;
    SoundEntry box = Rule("box.wav", 0, 1);
    box.XLow = 100;
    box.XHigh = 200;
    box.YLow = 300;
    box.YHigh = 400;
    box.PressLow = 0x20;
    box.PressHigh = 0x30;
    Add(any);
    Add(label2);
    Add(box);

    struct Case {
        int16_t sensor, x, y, press;
        int anyHits, label2Hits, boxHits;
    };
    const Case cases[] = {
        {0, 2000, 2000, 0, 1, 0, 0},    // sensor number 0 is label 1
        {1, 2000, 2000, 0, 1, 1, 0},    // sensor number 1 is label 2
        {15, 100, 300, 0x20, 1, 0, 1},  // lower bounds are inclusive
        {2, 200, 400, 0x30, 1, 0, 1},   // upper bounds are inclusive
        {2, 99, 350, 0x25, 1, 0, 0},   {2, 150, 401, 0x25, 1, 0, 0}, {2, 150, 350, 0x31, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "sensor " << c.sensor << " x " << c.x << " y " << c.y
                                          << " press " << c.press);
        for (size_t n = 1; n < setting.SoundTable.size(); ++n) {
            setting.SoundTable[n].HitCount = 0;
        }
        rules.CollectReading(c.sensor, c.x, c.y, c.press);
        rules.Tick(false);  // sound off: the counters stay for inspection
        EXPECT_EQ(setting.SoundTable[1].HitCount, c.anyHits);
        EXPECT_EQ(setting.SoundTable[2].HitCount, c.label2Hits);
        EXPECT_EQ(setting.SoundTable[3].HitCount, c.boxHits);
    }
}

TEST_F(SoundRulesTest, SequenceConditionFollowsTheSoundPlayedBefore) {
    Add(Rule("first.wav", 0, 1));
    SoundEntry second = Rule("second.wav", 0, 1);
    second.PrevLow = 1;
    second.PrevHigh = 1;
    Add(second);

    // Nothing has played yet, so only the first sound counts this tick's readings.
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"first.wav"});
    // Now the first sound was played last and the second one may follow.
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"second.wav"});
    EXPECT_EQ(rules.LastSound(), 2);
}

TEST_F(SoundRulesTest, GuardHoldsTheSameSoundButNotAnother) {
    Add(Rule("a.wav", 0, 1));
    SoundEntry b = Rule("b.wav", 0, 1);
    b.SensorLow = 5;
    b.SensorHigh = 5;
    Add(b);

    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"a.wav"});
    EXPECT_EQ(rules.SoundGuard(), 3);

    // Qualifying again on the next two ticks, the same sound is held back and its counters
    // restart; it plays again once the guard has run out.
    Readings(1);
    EXPECT_TRUE(Tick().isEmpty());
    EXPECT_EQ(setting.SoundTable[1].HitCount, 0);
    Readings(1);
    EXPECT_TRUE(Tick().isEmpty());
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"a.wav"});

    // A different sound may follow at once, and then the first one is no longer the last.
    rules.CollectReading(4, 2000, 2000, 100);  // label 5
    EXPECT_EQ(Tick(), QStringList{"b.wav"});
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"a.wav"});
}

TEST_F(SoundRulesTest, CountersKeepGrowingWhileSoundIsOffAndPlayWhenSwitchedOn) {
    Add(Rule("a.wav", 2, 2));
    for (int tick = 0; tick < 4; ++tick) {
        Readings(2);
        EXPECT_TRUE(Tick(false).isEmpty());
    }
    EXPECT_EQ(setting.SoundTable[1].Ticks, 4);
    EXPECT_EQ(setting.SoundTable[1].HitCount, 8);

    EXPECT_EQ(Tick(true), QStringList{"a.wav"});
    EXPECT_EQ(setting.SoundTable[1].Ticks, 0);
    EXPECT_EQ(setting.SoundTable[1].HitCount, 0);
}

TEST_F(SoundRulesTest, HitCountStopsAtItsLargestValueInsteadOfOverflowing) {
    Add(Rule("a.wav", 10, 1));
    Readings(40000);
    Tick(false);
    Readings(40000);
    Tick(false);
    EXPECT_EQ(setting.SoundTable[1].HitCount, 32767);
}

TEST_F(SoundRulesTest, ReadingsAreCollectedOnlyWithSoundFilesAndResetStartsAfresh) {
    Add(Rule("a.wav", 0, 1));
    Readings(1);
    Tick();
    Readings(2);
    EXPECT_EQ(rules.SoundFrameCount(), 2);
    rules.Reset();
    EXPECT_EQ(rules.SoundFrameCount(), 0);
    EXPECT_EQ(rules.SoundGuard(), 0);
    Readings(1);
    EXPECT_EQ(Tick(), QStringList{"a.wav"});  // no guard left from before

    setting.HasSoundFiles = false;
    Readings(2);
    EXPECT_EQ(rules.SoundFrameCount(), 0);
}

TEST_F(SoundRulesTest, TimerRunsOnlyWithSoundFilesAndStaysOnAcrossItsTick) {
    Add(Rule("a.wav", 0, 1));
    bool soundOn = true;
    SoundTimer timer(rules, [&] { return soundOn; });

    timer.Start(false);
    EXPECT_FALSE(timer.IsEnabled());
    timer.Start(true);
    EXPECT_TRUE(timer.IsEnabled());

    Readings(1);
    timer.timSound_Timer();
    EXPECT_EQ(sound.played, QStringList{"a.wav"});
    EXPECT_TRUE(timer.IsEnabled());

    timer.Stop();
    EXPECT_FALSE(timer.IsEnabled());
    timer.timSound_Timer();
    EXPECT_FALSE(timer.IsEnabled());
}

}  // namespace
}  // namespace korvi

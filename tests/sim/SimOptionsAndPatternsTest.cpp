// The simulator's command line and the readings it makes up.
#include <gtest/gtest.h>

#include <set>

#include "sim/ReadingGenerator.h"
#include "sim/SimOptions.h"

namespace korvi::sim {
namespace {

TEST(SimCommandLine, ReadsEveryOptionAndRefusesBadValues) {
    SimCommandLine line;
    QString error;
    ASSERT_TRUE(ParseSimCommandLine({"--link",
                                     "/tmp/korvi-tty",
                                     "--skip",
                                     "15",
                                     "--rate",
                                     "0",
                                     "--sensors",
                                     "0-3,7,2",
                                     "--pattern",
                                     "walk",
                                     "--seed",
                                     "42",
                                     "--malformed-every",
                                     "5",
                                     "--split-writes",
                                     "--no-line-ends",
                                     "--burst",
                                     "8",
                                     "--hangup-after",
                                     "100",
                                     "--count",
                                     "50",
                                     "--status",
                                     "r1",
                                     "--silent",
                                     "--log",
                                     "/tmp/sim.log"},
                                    line, error))
        << error.toStdString();
    const SimOptions& o = line.options;
    EXPECT_EQ(o.linkPath, "/tmp/korvi-tty");
    EXPECT_EQ(o.skip, 15);
    EXPECT_EQ(o.rate, 0);
    EXPECT_EQ(o.sensors, (std::vector<int>{0, 1, 2, 3, 7}));
    EXPECT_EQ(o.pattern, Pattern::Walk);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.malformedEvery, 5);
    EXPECT_TRUE(o.splitWrites && o.noLineEnds && o.silent);
    EXPECT_EQ(o.burst, 8);
    EXPECT_EQ(o.hangupAfter, 100);
    EXPECT_EQ(o.count, 50);
    EXPECT_EQ(o.status, "r1");
    EXPECT_EQ(line.logPath, "/tmp/sim.log");
    EXPECT_FALSE(line.help);

    for (const QStringList& bad : {QStringList{"--skip", "16"}, QStringList{"--sensors", "16"},
                                   QStringList{"--sensors", "5-2"}, QStringList{"--sensors", ""},
                                   QStringList{"--rate", "-1"}, QStringList{"--pattern", "dance"},
                                   QStringList{"--count"}, QStringList{"--frobnicate"}}) {
        SimCommandLine untouched;
        error.clear();
        EXPECT_FALSE(ParseSimCommandLine(bad, untouched, error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(untouched.options.sensors.size(), 16u);
    }

    SimCommandLine help;
    EXPECT_TRUE(ParseSimCommandLine({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(DataLine, CarriesHighBytesBeforeLowDigits) {
    EXPECT_EQ(DataLine({0, 255, 0x12A, 0x34B}), "d0FF1234AB");
    EXPECT_EQ(DataLine({15, 0, 4095, 4095}), "dF00FFFFFF");
    EXPECT_EQ(DataLine({10, 9, 0, 1}),
              "dA0900000"
              "1");
}

TEST(ReadingGenerator, StaysOnTheChosenSensorsAndInRange) {
    for (Pattern p : {Pattern::Lively, Pattern::Taps, Pattern::Strokes, Pattern::Walk}) {
        ReadingGenerator gen(p, {3, 9}, 5);
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i) {
            const Sample s = gen.Next();
            seen.insert(s.sensor);
            ASSERT_TRUE(s.sensor == 3 || s.sensor == 9);
            ASSERT_GE(s.press, 1);
            ASSERT_LE(s.press, 255);
            ASSERT_TRUE(s.x >= 0 && s.x <= 4095 && s.y >= 0 && s.y <= 4095);
        }
        EXPECT_EQ(seen.size(), 2u) << int(p);
    }
}

TEST(ReadingGenerator, SameSeedSameReadings) {
    ReadingGenerator a(Pattern::Lively, {0, 1, 2}, 11);
    ReadingGenerator b(Pattern::Lively, {0, 1, 2}, 11);
    ReadingGenerator c(Pattern::Lively, {0, 1, 2}, 12);
    int differ = 0;
    for (int i = 0; i < 500; ++i) {
        const Sample sa = a.Next();
        const Sample sb = b.Next();
        const Sample sc = c.Next();
        ASSERT_EQ(DataLine(sa), DataLine(sb));
        differ += DataLine(sa) != DataLine(sc);
    }
    EXPECT_GT(differ, 100);
}

TEST(ReadingGenerator, RampClimbsThroughEveryPressureOnEachSensorInTurn) {
    ReadingGenerator gen(Pattern::Ramp, {4, 6}, 1);
    for (int i = 0; i < 512; ++i) {
        const Sample s = gen.Next();
        EXPECT_EQ(s.press, i % 256);
        EXPECT_EQ(s.sensor, i < 256 ? 4 : 6);
    }
}

}  // namespace
}  // namespace korvi::sim

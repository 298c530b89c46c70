// The benchmark's own bookkeeping: if it mapped readings to the wrong arrivals or miscounted the
// recording, every figure it prints would be wrong without anyone noticing.
#include "bench/BenchMeasures.h"

#include <gtest/gtest.h>

namespace korvi::bench {
namespace {

std::vector<int64_t> TakeAll(ArrivalTracker& tracker) {
    std::vector<int64_t> times;
    int64_t ns = 0;
    while (tracker.TakeOldest(ns)) {
        times.push_back(ns);
    }
    return times;
}

TEST(ArrivalTracker, EachKeptReadingArrivesWithTheChunkThatEndedItsLine) {
    ArrivalTracker tracker;
    tracker.Chunk("r00\r\nd0801", 10, 0);  // one data line to be discarded ("r00": 0 + 1)
    tracker.Chunk("0A0B12\r\nd1", 20, 0);  // ends the discarded line
    tracker.Chunk("7F0102AB\r\nd2100000000\r", 30, 0);
    tracker.Chunk("\nx\r\nd3", 40, 0);  // a stray line is no reading
    tracker.Settle(0);
    EXPECT_EQ(tracker.Skipped(), 1);
    EXPECT_EQ(TakeAll(tracker), (std::vector<int64_t>{30, 40}));

    // Lines the ring refused are the last of their chunk, and are taken off only once.
    tracker.Chunk("d5\r\nd6\r\nd7\r\n", 50, 0);
    tracker.Chunk("d8\r\n", 60, 2);  // d6 and d7 were refused
    tracker.Settle(2);
    tracker.Chunk("d9\r\n", 70, 2);
    tracker.Settle(2);
    EXPECT_EQ(TakeAll(tracker), (std::vector<int64_t>{50, 60, 70}));
}

TEST(LatencyHistogram, PercentilesAreWithinOnePercentOfTheRankedSample) {
    LatencyHistogram h;
    EXPECT_EQ(h.Percentile(0.99), 0);
    for (int ms = 1; ms <= 1000; ++ms) {
        h.Add(ms);
    }
    h.Add(5'000'000);  // beyond the highest bin
    EXPECT_NEAR(h.Percentile(0.99), 991, 991 * 0.01);
    EXPECT_GT(h.Percentile(1.0), 900'000);
}

TEST(CsvComparison, MissingReadingsAreCountedInOrder) {
    const std::vector<Row> rows = ParseCsvRows(
        "\x83\x5a\x83\x93\x83\x54\x81\x5b\x4e\x6f\x2e,x,y,z\r\n"  // the Shift-JIS header
        "1,10,100,200\r\n3,30,300,400\r\nbroken\r\n5,50,1,2\r\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2], (Row{-1, -1, -1, -1}));
    // Sensor 2 and 4 are missing; rows out of order do not count as present.
    EXPECT_EQ(
        CountMissing(
            {{1, 10, 100, 200}, {2, 20, 0, 0}, {3, 30, 300, 400}, {4, 40, 7, 7}, {5, 50, 1, 2}},
            rows),
        2);
    EXPECT_EQ(CountMissing({{5, 50, 1, 2}, {1, 10, 100, 200}}, rows), 1);
}

}  // namespace
}  // namespace korvi::bench

#include <gtest/gtest.h>

#include <vector>

#include "display/TraceRing.h"

namespace korvi {
namespace {

// Stores marks whose pressure is their store number (1, 2, ...) and returns the numbers in the
// order the redraw visits them.
std::vector<int> StoreAndVisit(int16_t size, int stores) {
    TraceRing ring;
    ring.Resize(size);
    for (int n = 1; n <= stores; ++n) {
        PressMark mark;
        mark.MarkPress = static_cast<int16_t>(n);
        ring.Store(static_cast<int16_t>(n % 16), mark);
    }
    std::vector<int> visited;
    const TraceRing::Span span = ring.OldestFirst();
    int position = span.start;
    for (int i = 0; i < span.count; ++i) {
        visited.push_back(ring.TraceMarks[position].MarkPress);
        position = ring.NextPosition(position);
    }
    return visited;
}

TEST(TraceRing, FullRingIsVisitedFromTheOldestSurvivingMark) {
    TraceRing ring;
    ring.Resize(5);
    for (int n = 1; n <= 7; ++n) {
        ring.Store(0, PressMark{});
    }
    EXPECT_EQ(ring.TraceCount, 7);
    EXPECT_EQ(ring.TraceNext, 2);
    EXPECT_EQ(ring.OldestFirst().start, 2);
    EXPECT_EQ(StoreAndVisit(5, 7), (std::vector<int>{3, 4, 5, 6, 7}));
}

TEST(TraceRing, ExactlyFullOrPartlyFilledRingStartsAtZero) {
    EXPECT_EQ(StoreAndVisit(5, 5), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(StoreAndVisit(5, 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(StoreAndVisit(1, 4), (std::vector<int>{4}));
}

TEST(TraceRing, RingOfNoMarksKeepsNothing) {
    for (int16_t size : {int16_t{0}, int16_t{-3}}) {
        TraceRing ring;
        ring.Resize(size);
        ring.Store(0, PressMark{});
        EXPECT_EQ(ring.TraceCount, 0);
        EXPECT_EQ(ring.OldestFirst().count, 0);
    }
}

TEST(TraceRing, ResizingEmptiesTheRingSoASmallerSizeIsNeverOverrun) {
    TraceRing ring;
    ring.Resize(10);
    for (int n = 0; n < 8; ++n) {
        ring.Store(0, PressMark{});
    }
    ring.Resize(3);
    EXPECT_EQ(ring.TraceCount, 0);
    EXPECT_EQ(ring.TraceNext, 0);
    EXPECT_EQ(ring.TraceMarks.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        ring.Store(0, PressMark{});
    }
    EXPECT_EQ(ring.TraceNext, 1);
}

}  // namespace
}  // namespace korvi

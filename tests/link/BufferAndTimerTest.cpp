// The receive ring and the stopwatch: order, wrap-around, refusal when full, and time-outs
// read from a hand-set clock.
#include <gtest/gtest.h>

#include <QStringList>

#include "link/BufferClass.h"
#include "link/TimerClass.h"

namespace korvi {
namespace {

QStringList TakeAll(BufferClass& buffer) {
    QStringList taken;
    QString value;
    while (buffer.TakeData(value)) {
        taken << value;
    }
    EXPECT_TRUE(value.isEmpty());
    return taken;
}

TEST(BufferClass, NewRingIsEmptyAndHoldsNine) {
    BufferClass buffer;
    EXPECT_EQ(buffer.Size(), 10);
    EXPECT_TRUE(buffer.IsEmpty());
    QString value = "left over";
    EXPECT_FALSE(buffer.TakeData(value));
    EXPECT_TRUE(value.isEmpty());
    for (int i = 0; i < 9; ++i) {
        EXPECT_TRUE(buffer.SetData(QString::number(i)));
    }
    EXPECT_FALSE(buffer.SetData("9"));
    EXPECT_EQ(buffer.Count(), 9);
}

TEST(BufferClass, SizeThreeKeepsOrderAcrossTheWrap) {
    BufferClass buffer;
    buffer.SetSize(3);
    EXPECT_EQ(buffer.Size(), 4);
    buffer.SetData("A");
    buffer.SetData("B");
    buffer.SetData("C");
    EXPECT_EQ(TakeAll(buffer), QStringList({"A", "B", "C"}));

    // Positions now at 3; the next values wrap through slot 0.
    buffer.SetData("A");
    buffer.SetData("B");
    QString value;
    ASSERT_TRUE(buffer.TakeData(value));
    EXPECT_EQ(value, "A");
    buffer.SetData("C");
    buffer.SetData("D");
    EXPECT_EQ(buffer.Count(), 3);
    EXPECT_EQ(TakeAll(buffer), QStringList({"B", "C", "D"}));
    EXPECT_TRUE(buffer.IsEmpty());
}

TEST(BufferClass, FullRingRefusesNewValuesAndKeepsTheWaitingOnes) {
    BufferClass buffer;
    buffer.SetSize(3);
    EXPECT_TRUE(buffer.SetData("A"));
    EXPECT_TRUE(buffer.SetData("B"));
    EXPECT_TRUE(buffer.SetData("C"));
    EXPECT_FALSE(buffer.SetData("D"));
    EXPECT_FALSE(buffer.SetData("E"));
    EXPECT_EQ(buffer.RefusedCount(), 2);
    EXPECT_EQ(TakeAll(buffer), QStringList({"A", "B", "C"}));
    EXPECT_TRUE(buffer.SetData("F"));
    EXPECT_EQ(TakeAll(buffer), QStringList({"F"}));
}

TEST(BufferClass, ResizingKeepsWaitingValuesInOrder) {
    BufferClass buffer;
    for (const char* v : {"1", "2", "3", "4", "5", "6", "7"}) {
        buffer.SetData(v);
    }
    QString value;
    buffer.TakeData(value);
    buffer.TakeData(value);
    buffer.SetData("8");
    buffer.SetData("9");  // wrapped past the end of the ten slots

    EXPECT_TRUE(buffer.SetSize(10240));
    EXPECT_EQ(buffer.Size(), 10241);
    EXPECT_EQ(TakeAll(buffer), QStringList({"3", "4", "5", "6", "7", "8", "9"}));

    EXPECT_FALSE(buffer.SetSize(0));
    EXPECT_FALSE(buffer.SetSize(-1));
    EXPECT_EQ(buffer.Size(), 10241);
}

TEST(TimerClass, TimesOutOnlyAfterTheThresholdIsPassed) {
    ManualClock clock(1000);
    TimerClass watch(clock);
    watch.SetTimeoutTime(300);
    EXPECT_EQ(watch.ElapsedTime(), 0.0);
    EXPECT_FALSE(watch.IsTimeout());

    watch.StartTimer();
    clock.advance(300);
    EXPECT_EQ(watch.ElapsedTime(), 300.0);
    EXPECT_FALSE(watch.IsTimeout());
    clock.advance(1);
    EXPECT_TRUE(watch.IsTimeout());

    // A restart begins again from 0.
    watch.StartTimer();
    EXPECT_FALSE(watch.IsTimeout());
}

TEST(TimerClass, SpanSurvivesTheWrapOfTheTickCounter) {
    ManualClock clock(0xFFFFFF00u);
    TimerClass watch(clock);
    watch.StartTimer();
    clock.set(0x00000100u);
    EXPECT_EQ(watch.ElapsedTime(), 512.0);

    // A run that starts exactly when the counter reads 0 still runs.
    clock.set(0);
    watch.StartTimer();
    watch.SetTimeoutTime(10);
    clock.set(11);
    EXPECT_TRUE(watch.IsTimeout());
}

TEST(TimerClass, StoppedWatchKeepsItsTimeAndNeverTimesOut) {
    ManualClock clock;
    TimerClass watch(clock);
    watch.SetTimeoutTime(100);
    watch.StartTimer();
    clock.advance(150);
    watch.StopTimer();
    EXPECT_TRUE(watch.IsStopped());
    clock.advance(10000);
    EXPECT_EQ(watch.ElapsedTime(), 150.0);
    EXPECT_FALSE(watch.IsTimeout());

    watch.ResumeTimer();
    EXPECT_FALSE(watch.IsStopped());
    clock.advance(20);
    EXPECT_EQ(watch.ElapsedTime(), 170.0);
    EXPECT_TRUE(watch.IsTimeout());
}

}  // namespace
}  // namespace korvi

// The receive ring, the stopwatch read from a hand-set clock, and cutting the received stream
// into lines and decoding them.
#include <gtest/gtest.h>

#include <QStringList>

#include "link/BufferClass.h"
#include "link/LineProtocol.h"
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

TEST(BufferClass, SizeThreeKeepsOrderAcrossTheWrapAndRefusesWhenFull) {
    BufferClass buffer;
    buffer.SetSize(3);
    for (const char* v : {"A", "B", "C"}) {
        EXPECT_TRUE(buffer.SetData(v));
    }
    EXPECT_FALSE(buffer.SetData("D"));
    EXPECT_EQ(buffer.RefusedCount(), 1);
    EXPECT_EQ(TakeAll(buffer), QStringList({"A", "B", "C"}));

    // Positions now at 3; the next values wrap through slot 0.
    buffer.SetData("A");
    buffer.SetData("B");
    EXPECT_EQ(buffer.Count(), 2);  // written past the wrap, read not yet
    QString value;
    ASSERT_TRUE(buffer.TakeData(value));
    EXPECT_EQ(value, "A");
    buffer.SetData("C");
    buffer.SetData("D");
    EXPECT_EQ(buffer.Count(), 3);
    EXPECT_EQ(TakeAll(buffer), QStringList({"B", "C", "D"}));
}

TEST(TimerClass, TimesOutAfterTheThresholdAcrossTheTickWrapButNeverWhileStopped) {
    ManualClock clock(0xFFFFFF00u);
    TimerClass watch(clock);
    watch.SetTimeoutTime(300);
    watch.StartTimer();
    clock.set(0x00000100u);
    EXPECT_EQ(watch.ElapsedTime(), 512.0);

    clock.set(0);  // a run that starts when the counter reads 0 still runs
    watch.StartTimer();
    clock.advance(300);
    EXPECT_FALSE(watch.IsTimeout());
    clock.advance(1);
    EXPECT_TRUE(watch.IsTimeout());

    watch.StartTimer();
    clock.advance(150);
    watch.StopTimer();
    clock.advance(10000);
    EXPECT_EQ(watch.ElapsedTime(), 150.0);
    EXPECT_FALSE(watch.IsTimeout());
    watch.ResumeTimer();
    clock.advance(151);
    EXPECT_TRUE(watch.IsTimeout());
}

struct Receiver {
    ReceiveState state;
    BufferClass buffer;
    Receiver() { buffer.SetSize(10240); }
    void feed(const QByteArray& chunk) { SplitReceivedLines(chunk, state, buffer); }
};

TEST(SplitReceivedLines, EveryCutOfTheStreamGivesTheSameLines) {
    // Several lines in one chunk, an empty one, and a CR without LF that is no line end.
    const QByteArray stream = "r00\r\nd0FF1234AB\r\n\r\nd1\rX\n\r\n";
    const QStringList expected = {"r00", "d0FF1234AB", "", "d1\rX\n"};
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        for (qsizetype cut2 = cut; cut2 <= stream.size(); ++cut2) {
            Receiver rx;
            rx.feed(stream.left(cut));
            rx.feed(stream.mid(cut, cut2 - cut));
            rx.feed(stream.mid(cut2));
            EXPECT_EQ(TakeAll(rx.buffer), expected) << "cuts at " << cut << ", " << cut2;
            EXPECT_TRUE(rx.state.RxPending.isEmpty());
        }
    }
}

TEST(SplitReceivedLines, BytesWithoutLineEndsAreCappedAndCounted) {
    Receiver rx;
    for (int i = 0; i < 100; ++i) {
        rx.feed(QByteArray(1000, 'x'));
    }
    EXPECT_EQ(rx.state.RxPending.size(), kMaxPendingBytes);
    EXPECT_EQ(rx.state.DroppedBytes, 100 * 1000 - kMaxPendingBytes);
    rx.feed("\r\nd0FF1234AB\r\n");  // the stream recovers at the next line end
    const QStringList lines = TakeAll(rx.buffer);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), kMaxPendingBytes);
    EXPECT_EQ(lines[1], "d0FF1234AB");
}

TEST(DecodeDataLine, ReadsFixedPositionsAndTheLeadingDigitsOfShortOrBadFields) {
    const struct {
        const char* line;
        int sensor, press, x, y;
    } cases[] = {
        {"d0FF1234AB", 0, 255, 0x12A, 0x34B},
        {"dF00FFFFFF", 15, 0, 4095, 4095},
        {"d1ff1234ab", 1, 255, 298, 843},
        {"d0FF1234ABtrailing", 0, 255, 298, 843},
        {"d", 0, 0, 0, 0},
        {"dZ", 0, 0, 0, 0},
        {"d3F", 3, 15, 0, 0},
        {"d0FF1234", 0, 255, 0x12, 0x34},
        {"d0FF1G34AB", 0, 255, 0x1, 0x34B},
        {"dA7F12 4A", 10, 127, 0x12A, 0},
    };
    for (const auto& c : cases) {
        const Reading r = DecodeDataLine(c.line);
        EXPECT_EQ(std::vector<int>({r.RxSensor, r.RxPress, r.RxX, r.RxY}),
                  std::vector<int>({c.sensor, c.press, c.x, c.y}))
            << c.line;
    }
}

}  // namespace
}  // namespace korvi

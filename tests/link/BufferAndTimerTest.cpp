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

TEST(TimerClass, TimesOutAfterTheThresholdAcrossTheTickWrap) {
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

// A line longer than 64 KiB is cut to its first 64 KiB, however the stream is cut: the rest up to
// its CR LF is thrown away and counted, the head is the line, and the stream goes on with the next.
TEST(SplitReceivedLines, OverLongLinesKeepTheirFirst64KiB) {
    const QByteArray end = "\r\nd0FF1234AB\r\n";  // the long line's end and the next reading
    const QByteArray reading = "d0FF1234AB";
    const auto runOf = [](char c, int n) { return QByteArray(n, c); };
    // The first 64 KiB of the long line, then the next reading.
    const auto kept = [](const QByteArray& start, char c) {
        return QStringList{QString::fromLatin1(start + QByteArray(65536 - start.size(), c)),
                           "d0FF1234AB"};
    };
    const struct {
        const char* name;
        QByteArray stream;
        qsizetype chunk;
        QStringList lines;
        int64_t dropped, cut;
    } cases[] = {
        {"a reading, 64 KiB in all", reading + runOf('y', 65526) + end, 4096, kept(reading, 'y'), 0,
         0},
        {"a reading, one byte more", reading + runOf('y', 65527) + end, 4096, kept(reading, 'y'), 1,
         1},
        {"never ended, then a line end", runOf('x', 100000) + end, 1000, kept("", 'x'), 34464, 1},
        {"CR and LF in two chunks", runOf('z', 65600) + end, 65601, kept("", 'z'), 64, 1},
    };
    for (const auto& c : cases) {
        Receiver rx;
        for (qsizetype at = 0; at < c.stream.size(); at += c.chunk) {
            rx.feed(c.stream.mid(at, c.chunk));
        }
        EXPECT_EQ(TakeAll(rx.buffer), c.lines) << c.name;
        EXPECT_EQ(rx.state.DroppedBytes, c.dropped) << c.name;
        EXPECT_EQ(rx.state.CutLines, c.cut) << c.name;
        EXPECT_TRUE(rx.state.RxPending.isEmpty()) << c.name;
    }
}

// A full ring refuses (and counts) further lines; while the exchange runs they wait instead and
// are stored in order as room comes free.
TEST(SplitReceivedLines, FullRingRefusesOrHoldsTheRestInOrder) {
    for (const bool hold : {false, true}) {
        ReceiveState state;
        state.HoldWhenFull = hold;
        BufferClass buffer;
        buffer.SetSize(3);
        SplitReceivedLines("d1\r\nd2\r\nd3\r\nd4\r\nd5\r\nd6", state, buffer);
        EXPECT_EQ(state.Held, hold);
        EXPECT_EQ(buffer.RefusedCount(), hold ? 0 : 2);
        EXPECT_EQ(state.RefusedLines, hold ? 0 : 2);
        QString first;
        ASSERT_TRUE(buffer.TakeData(first));
        EXPECT_EQ(first, "d1");
        SplitReceivedLines({}, state, buffer);
        EXPECT_EQ(state.Held, hold) << "d5 waits while held";
        QStringList rest = TakeAll(buffer);
        SplitReceivedLines("\r\n", state, buffer);
        rest += TakeAll(buffer);
        EXPECT_EQ(rest, hold ? QStringList({"d2", "d3", "d4", "d5", "d6"})
                             : QStringList({"d2", "d3", "d6"}))
            << hold;
        EXPECT_FALSE(state.Held);
    }
}

TEST(DecodeDataLine, ReadsFixedPositionsAndTheLeadingDigitsOfShortOrBadFields) {
    const struct {
        const char* line;
        int sensor, press, x, y;
    } cases[] = {
        {"d0FF1234AB", 0, 255, 0x12A, 0x34B},
        {"dF00FFFFFF", 15, 0, 4095, 4095},
        {"d1ff1234ab", 1, 255, 298, 843},
        {"d", 0, 0, 0, 0},
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

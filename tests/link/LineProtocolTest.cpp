// Cutting the received stream into lines and decoding data and status lines.
#include <gtest/gtest.h>

#include <QStringList>

#include "link/LineProtocol.h"

namespace korvi {
namespace {

QStringList TakeAll(BufferClass& buffer) {
    QStringList taken;
    QString value;
    while (buffer.TakeData(value)) {
        taken << value;
    }
    return taken;
}

struct Receiver {
    ReceiveState state;
    BufferClass buffer;
    Receiver() { buffer.SetSize(10240); }
    void feed(const QByteArray& chunk) { SplitReceivedLines(chunk, state, buffer); }
};

TEST(SplitReceivedLines, EveryCutOfALineGivesTheSameLine) {
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

TEST(SplitReceivedLines, KeepsTheUnfinishedTailPending) {
    Receiver rx;
    rx.feed("d0FF12");
    EXPECT_FALSE(rx.state.RxDataReady);
    EXPECT_TRUE(rx.buffer.IsEmpty());
    rx.feed("34AB\r\nd1");
    EXPECT_TRUE(rx.state.RxDataReady);
    EXPECT_EQ(rx.state.RxPending, "d1");
    rx.feed("0FF\r");  // CR without LF is not yet a line end
    EXPECT_EQ(rx.buffer.Count(), 1);
    EXPECT_EQ(rx.state.RxPending, "d10FF\r");
    rx.feed("\n");
    EXPECT_EQ(TakeAll(rx.buffer), QStringList({"d0FF1234AB", "d10FF"}));
}

TEST(SplitReceivedLines, BytesWithoutLineEndsAreCappedAndCounted) {
    Receiver rx;
    const QByteArray noise(1000, 'x');
    for (int i = 0; i < 100; ++i) {
        rx.feed(noise);
    }
    EXPECT_EQ(rx.state.RxPending.size(), kMaxPendingBytes);
    EXPECT_EQ(rx.state.DroppedBytes, 100 * 1000 - kMaxPendingBytes);
    // The stream recovers at the next line end.
    rx.feed("\r\nd0FF1234AB\r\n");
    const QStringList lines = TakeAll(rx.buffer);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), kMaxPendingBytes);
    EXPECT_EQ(lines[1], "d0FF1234AB");
}

TEST(SplitReceivedLines, LinesBeyondAFullBufferAreRefusedAndCounted) {
    ReceiveState state;
    BufferClass buffer;
    buffer.SetSize(2);
    SplitReceivedLines("a\r\nb\r\nc\r\nd\r\n", state, buffer);
    EXPECT_EQ(state.RefusedLines, 2);
    EXPECT_EQ(buffer.RefusedCount(), 2);
    EXPECT_EQ(TakeAll(buffer), QStringList({"a", "b"}));
}

TEST(SplitReceivedLines, BytesAboveAsciiArriveAsLatin1) {
    Receiver rx;
    rx.feed(QByteArray("d\xff\x80\r\n"));
    EXPECT_EQ(TakeAll(rx.buffer), QStringList({QString::fromLatin1("d\xff\x80")}));
}

void ExpectReading(const QString& line, int sensor, int press, int x, int y) {
    const Reading r = DecodeDataLine(line);
    EXPECT_EQ(r.RxSensor, sensor) << line.toStdString();
    EXPECT_EQ(r.RxPress, press) << line.toStdString();
    EXPECT_EQ(r.RxX, x) << line.toStdString();
    EXPECT_EQ(r.RxY, y) << line.toStdString();
}

TEST(DecodeDataLine, ReadsTheFixedPositions) {
    ExpectReading("d0FF1234AB", 0, 255, 0x12A, 0x34B);
    ExpectReading("dF00FFFFFF", 15, 0, 4095, 4095);
    ExpectReading("d1ff1234ab", 1, 255, 298, 843);
    ExpectReading("d0FF1234ABtrailing", 0, 255, 298, 843);
}

TEST(DecodeDataLine, ShortAndMalformedFieldsReadTheirLeadingDigits) {
    ExpectReading("dZ", 0, 0, 0, 0);
    ExpectReading("d", 0, 0, 0, 0);
    ExpectReading("d3", 3, 0, 0, 0);
    ExpectReading("d3F", 3, 15, 0, 0);
    // Cut after position 8: X and Y keep only the value of their high characters.
    ExpectReading("d0FF1234", 0, 255, 0x12, 0x34);
    ExpectReading("d0FF1G34AB", 0, 255, 0x1, 0x34B);
    ExpectReading("d0F 1234AB", 0, 15, 0x12A, 0x34B);
    ExpectReading("dA7F12 4A", 10, 127, 0x12A, 0);
}

TEST(StatusLine, ReadyAndSkipCount) {
    EXPECT_TRUE(IsReadyStatus("r0"));
    EXPECT_TRUE(IsReadyStatus("r0F"));
    EXPECT_FALSE(IsReadyStatus("r1"));
    EXPECT_FALSE(IsReadyStatus("R0"));
    EXPECT_FALSE(IsReadyStatus("r"));
    EXPECT_FALSE(IsReadyStatus(" r0"));

    EXPECT_EQ(SkipCountFromStatus("r0"), 1);
    EXPECT_EQ(SkipCountFromStatus("r00"), 1);
    EXPECT_EQ(SkipCountFromStatus("r0F"), 16);
    EXPECT_EQ(SkipCountFromStatus("r0a"), 11);
    EXPECT_EQ(SkipCountFromStatus("r0G"), 1);
}

}  // namespace
}  // namespace korvi

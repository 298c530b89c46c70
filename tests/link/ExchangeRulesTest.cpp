// The exchange's rules walked row by row: the status reply and the data lines it says to skip,
// which received lines are handed on as readings and in which field order, the line-event texts,
// and a bound on how long one pass of the exchange may keep the event loop.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <thread>

#include "link/CommEventText.h"
#include "link/CommunicationControl.h"
#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "platform/Clock.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

// The exchange as the main window wires it, its readings collected as "sensor,press,x,y".
struct Exchange {
    Exchange() {
        buffer.SetSize(10240);
        CommunicationControl::Hooks hooks;
        hooks.serialConfig = [] {
            SerialConfig config;
            config.portName = QStringLiteral("COM1");
            return config;
        };
        hooks.reading = [this](const Reading& r) {
            readings << QStringLiteral("%1,%2,%3,%4")
                            .arg(r.RxSensor)
                            .arg(r.RxPress)
                            .arg(r.RxX)
                            .arg(r.RxY);
            if (onReading) {
                onReading();
            }
        };
        control = std::make_unique<CommunicationControl>(line, onComm, buffer, state, monitor,
                                                         clock, boxes, std::move(hooks));
        control->cmdComm_Click();
    }
    // The controller answers the status request with `reply`; true when data was requested.
    bool Answer(const QByteArray& reply) {
        line.pushIncoming(reply + "\r\n");
        return QTest::qWaitFor([this] { return line.written.endsWith("d\r"); }, 300);
    }
    void Send(const QByteArray& lines, qsizetype expected) {
        line.pushIncoming(lines);
        EXPECT_TRUE(QTest::qWaitFor([&] { return readings.size() >= expected; }, 3000));
        QTest::qWait(20);
    }

    test::FakeSerialLine line;
    ReceiveState state;
    BufferClass buffer;
    ComDataMonitor monitor;
    ReceiveEvent onComm{line, state, buffer, monitor};
    ManualClock clock;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<CommunicationControl> control;
    QStringList readings;
    std::function<void()> onReading;
};

// Ready is "r0" exactly; the third character, a hexadecimal digit, is one less than the number of
// data lines discarded; missing or not a digit, one line is discarded.
TEST(StatusReply, ReadyOnlyOnR0AndSkipsTheCountItNames) {
    const std::pair<const char*, int> ready[] = {{"r00", 1},  {"r0", 1},   {"r09", 10},
                                                 {"r0A", 11}, {"r0F", 16}, {"r0f", 16},
                                                 {"r0G", 1},  {"r0 ", 1},  {"r012", 2}};
    for (const auto& [reply, skip] : ready) {
        EXPECT_TRUE(IsReadyStatus(QString::fromLatin1(reply))) << reply;
        EXPECT_EQ(SkipCountFromStatus(QString::fromLatin1(reply)), skip) << reply;
    }
    for (const char* reply : {"r1", "R0", "r", "", "d0", " r0", "rO"}) {
        EXPECT_FALSE(IsReadyStatus(QString::fromLatin1(reply))) << reply;
    }

    // In the exchange: a wrong answer is asked again, a ready one requests data and the named
    // number of data lines is dropped before the first reading is handed on.
    Exchange x;
    EXPECT_FALSE(x.Answer("R0"));
    EXPECT_EQ(x.line.written, "r\rr\r");
    ASSERT_TRUE(x.Answer("r02"));
    EXPECT_EQ(x.control->SkipCount(), 3);
    x.Send("d001000000\r\nd002000000\r\nd003000000\r\nd004000000\r\n", 1);
    EXPECT_EQ(x.readings, QStringList({"0,4,0,0"}));
}

// Only lines beginning with a lower-case "d" are readings; each is handed on whole, in arrival
// order: sensor, pressure, then X and Y each from its high two and low one digits.
TEST(DataLines, OnlyDLinesBecomeReadingsWithTheirFieldsInOrder) {
    Exchange x;
    ASSERT_TRUE(x.Answer("r00"));
    x.Send(
        "d0FF00FF0F\r\n"  // the one line skipped after r00
        "d1203A4B56\r\nD1203A4B56\r\nx1203A4B56\r\n\r\n d1203A4B56\r\nr00\r\n"
        "dF7FFFFFFF\r\nd000000000\r\nd9A5123A4B\r\n",
        4);
    EXPECT_EQ(x.readings,
              QStringList({"1,32,933,1206", "15,127,4095,4095", "0,0,0,0", "9,165,292,939"}));
    EXPECT_EQ(x.control->ReadingCount(), 4);
}

// One pass of the exchange hands on what it can in a few milliseconds and then lets the event
// loop run: with readings that take a millisecond each, a pass stops long before 40 of them.
TEST(DataLines, OnePassKeepsTheEventLoopForAFewMillisecondsOnly) {
    Exchange x;
    ASSERT_TRUE(x.Answer("r00"));
    QByteArray lines = "d000000000\r\n";
    for (int n = 0; n < 200; ++n) {
        lines += "d1203A4B56\r\n";
    }
    qsizetype firstPass = -1;
    x.onReading = [&x, &firstPass] {
        if (x.readings.size() == 1) {
            // Runs when the pass that handed on the first reading has given the loop back.
            QMetaObject::invokeMethod(
                &x.line, [&x, &firstPass] { firstPass = x.readings.size(); }, Qt::QueuedConnection);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    x.Send(lines, 200);
    EXPECT_GE(firstPass, 1);
    EXPECT_LT(firstPass, 40);
}

// The monitor's texts for the serial line's events, and the one for any other code.
TEST(LineEvents, EachCodeHasItsText) {
    const std::pair<int, const char*> cases[] = {
        {3, "CTS ﾗｲﾝの状態が変化しました。"},
        {4, "DSR ﾗｲﾝの状態が変化しました。"},
        {5, "CD ﾗｲﾝの状態が変化しました。"},
        {6, "呼び出し信号を検出しました。"},
        {7, "EOF を受信しました。"},
        {1001, "ﾌﾞﾚｰｸ信号を検出しました。"},
        {1002, "CTS ﾀｲﾑｱｳﾄを検出しました。"},
        {1003, "DSR ﾀｲﾑｱｳﾄを検出しました。"},
        {1004, "ﾌﾚｰﾐﾝｸﾞ ｴﾗｰが発生しました。"},
        {1006, "ｵｰﾊﾞｰﾗﾝ ｴﾗｰが発生しました。"},
        {1007, "CD ﾀｲﾑｱｳﾄを検出しました。"},
        {1008, "受信ﾊﾞｯﾌｧがｵｰﾊﾞｰﾌﾛｰしました。"},
        {1009, "ﾊﾟﾘﾃｨ ｴﾗｰが発生しました。"},
        {1010, "送信ﾊﾞｯﾌｧ ﾌﾙ ｴﾗｰが発生しました。"},
        {1011, "DCB 取得時にｴﾗｰが発生しました。"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(CommEventText(code), QString::fromUtf8(text)) << code;
    }
    for (int code : {0, 1, 2, 8, 1000, 1005, 1012}) {
        EXPECT_EQ(CommEventText(code), QStringLiteral("未定義のｴﾗｰまたはｲﾍﾞﾝﾄが発生しました。"))
            << code;
    }
}

}  // namespace
}  // namespace korvi

// The serial line against the simulated controller over a real pseudo-terminal: the handshake,
// the data stream decoded line by line, stop, reopening, and a hang-up reported once.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "link/BufferClass.h"
#include "link/LineProtocol.h"
#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "platform/QtSerialLine.h"
#include "sim/Simulator.h"

namespace korvi {
namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

SerialConfig PtyConfig(const QString& device) {
    SerialConfig config;
    config.portName = QStringLiteral("COM1");
    config.device = device;
    config.speed = QStringLiteral("19200");
    config.parity = QStringLiteral("E");
    config.dataBits = QStringLiteral("8");
    config.stopBits = QStringLiteral("1");
    return config;
}

// The receive side as the program wires it: line -> splitter -> RxBuffer.
struct Receiver {
    QtSerialLine line;
    ReceiveState state;
    BufferClass buffer;
    ComDataMonitor monitor;
    ReceiveEvent onComm{line, state, buffer, monitor};

    Receiver() { buffer.SetSize(10240); }

    QString NextLine(int timeoutMs = 3000) {
        QString text;
        WaitFor([&] { return buffer.TakeData(text); }, timeoutMs);
        return text;
    }
};

TEST(SerialDeviceName, MapsComPortsAndHonoursTheDevicePath) {
    SerialConfig config;
    config.portName = QStringLiteral(" COM3 ");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyS2");
    config.portName = QStringLiteral("COM1");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyS0");
    config.device = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyUSB0");
    config.device.clear();
    for (const char* bad : {"COM", "COM-1", "COM0", "COMx", "", "LPT1"}) {
        config.portName = QString::fromLatin1(bad);
        EXPECT_TRUE(SerialDeviceName(config).isEmpty()) << bad;
    }
}

TEST(QtSerialLine, RefusesPortsItCannotOpen) {
    QtSerialLine line;
    SerialConfig config = PtyConfig({});
    config.portName = QStringLiteral("COM");
    EXPECT_FALSE(line.open(config));
    EXPECT_FALSE(line.lastError().isEmpty());

    config = PtyConfig(QStringLiteral("/nonexistent/korvi-tty"));
    EXPECT_FALSE(line.open(config));
    EXPECT_FALSE(line.isOpen());
    EXPECT_TRUE(line.lastError().contains("/nonexistent/korvi-tty"));

    config.stopBits = QStringLiteral("3");
    EXPECT_FALSE(line.open(config));
    EXPECT_FALSE(line.write("r\r"));
}

TEST(QtSerialLine, HandshakeStreamAndStopWithTheSimulator) {
    sim::Simulator controller;
    sim::SimOptions options;
    options.skip = 2;
    options.rate = 500;
    options.sensors = {2, 5, 11};
    options.seed = 7;
    const QString device = controller.start(options);
    ASSERT_FALSE(device.isEmpty()) << controller.error().toStdString();

    Receiver rx;
    ASSERT_TRUE(rx.line.open(PtyConfig(device))) << rx.line.lastError().toStdString();

    ASSERT_TRUE(rx.line.write("r\r"));
    const QString status = rx.NextLine();
    EXPECT_EQ(status, "r02");
    EXPECT_TRUE(IsReadyStatus(status));
    EXPECT_EQ(SkipCountFromStatus(status), 3);

    ASSERT_TRUE(rx.line.write("d\r"));
    QStringList lines;
    ASSERT_TRUE(WaitFor([&] {
        QString text;
        while (rx.buffer.TakeData(text)) {
            lines << text;
        }
        return lines.size() >= 40;
    }));
    ASSERT_TRUE(rx.line.write("s\r"));
    ASSERT_TRUE(WaitFor([&] { return !controller.isStreaming(); }));
    QTest::qWait(100);
    QString text;
    while (rx.buffer.TakeData(text)) {
        lines << text;
    }

    // Every line decodes into exactly what the controller says it sent, in order.
    const auto sent = controller.sentReadings();
    ASSERT_EQ(qsizetype(sent.size()), lines.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        const Reading r = DecodeDataLine(lines[qsizetype(i)]);
        EXPECT_EQ(r.RxSensor, sent[i].sensor) << i;
        EXPECT_EQ(r.RxPress, sent[i].press) << i;
        EXPECT_EQ(r.RxX, sent[i].x) << i;
        EXPECT_EQ(r.RxY, sent[i].y) << i;
        EXPECT_TRUE(sent[i].sensor == 2 || sent[i].sensor == 5 || sent[i].sensor == 11);
    }

    // Stopped: nothing more arrives.
    QTest::qWait(150);
    EXPECT_TRUE(rx.buffer.IsEmpty());
    EXPECT_EQ(rx.state.DroppedBytes, 0);

    const auto commands = controller.receivedCommands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].text, "r");
    EXPECT_EQ(commands[1].text, "d");
    EXPECT_EQ(commands[2].text, "s");
    EXPECT_LE(commands[0].ms, commands[1].ms);
}

TEST(QtSerialLine, ReopensAfterAClosedRunWhileTheControllerStillStreams) {
    sim::Simulator controller;
    sim::SimOptions options;
    options.rate = 1000;
    const QString device = controller.start(options);
    ASSERT_FALSE(device.isEmpty()) << controller.error().toStdString();

    Receiver rx;
    ASSERT_TRUE(rx.line.open(PtyConfig(device)));
    rx.line.write("d\r");
    ASSERT_FALSE(rx.NextLine().isEmpty());
    rx.line.close();  // no stop command: the controller keeps streaming into the terminal
    QTest::qWait(100);

    ASSERT_TRUE(rx.line.open(PtyConfig(device))) << rx.line.lastError().toStdString();
    rx.line.write("s\rr\r");
    QString text;
    bool ready = false;
    WaitFor([&] {
        while (rx.buffer.TakeData(text)) {
            ready = ready || IsReadyStatus(text);
        }
        return ready;
    });
    EXPECT_TRUE(ready);
}

TEST(QtSerialLine, HangUpIsReportedOnceAndClosesTheLine) {
    sim::Simulator controller;
    sim::SimOptions options;
    options.rate = 200;
    options.hangupAfter = 5;
    const QString device = controller.start(options);
    ASSERT_FALSE(device.isEmpty()) << controller.error().toStdString();

    Receiver rx;
    QSignalSpy lost(&rx.line, &SerialLine::lineLost);
    ASSERT_TRUE(rx.line.open(PtyConfig(device)));
    rx.line.write("d\r");
    ASSERT_TRUE(lost.wait(3000));
    QTest::qWait(300);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(rx.line.isOpen());
    EXPECT_TRUE(controller.hasHungUp());
    EXPECT_EQ(rx.buffer.Count(), 5);
    EXPECT_FALSE(rx.line.write("s\r"));
}

}  // namespace
}  // namespace korvi

// The serial line against the simulated controller over a real pseudo-terminal: the handshake,
// the data stream decoded line by line, stop, and a hang-up reported once.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "link/BufferClass.h"
#include "link/LineProtocol.h"
#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "platform/QtSerialLine.h"
#include "sim/Simulator.h"

namespace korvi {
namespace {

// The receive side as the program wires it (line -> splitter -> RxBuffer), on the simulator.
struct Receiver {
    explicit Receiver(const sim::SimOptions& options) {
        buffer.SetSize(10240);
        config.portName = QStringLiteral("COM1");
        config.device = controller.start(options);
        config.speed = QStringLiteral("19200");
        config.parity = QStringLiteral("E");
        config.dataBits = QStringLiteral("8");
        config.stopBits = QStringLiteral("1");
    }
    bool open() { return !config.device.isEmpty() && line.open(config); }
    // Every line received within the time, or until `enough` have come.
    QStringList Take(int timeoutMs, qsizetype enough = 1 << 30) {
        (void)QTest::qWaitFor(
            [&] {
                QString text;
                while (buffer.TakeData(text)) {
                    taken << text;
                }
                return taken.size() >= enough;
            },
            timeoutMs);
        return taken;
    }
    sim::Simulator controller;
    SerialConfig config;
    QtSerialLine line;
    ReceiveState state;
    BufferClass buffer;
    ComDataMonitor monitor;
    ReceiveEvent onComm{line, state, buffer, monitor};
    QStringList taken;
};

TEST(SerialDeviceName, MapsComPortsAndHonoursTheDevicePath) {
    SerialConfig config;
    config.portName = QStringLiteral(" COM3 ");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyS2");
    for (const char* bad : {"COM", "COM0", "COMx", "LPT1"}) {
        config.portName = QString::fromLatin1(bad);
        EXPECT_TRUE(SerialDeviceName(config).isEmpty()) << bad;
    }
    config.device = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(SerialDeviceName(config), "/dev/ttyUSB0");
}

TEST(QtSerialLine, HandshakeStreamAndStopWithTheSimulator) {
    sim::SimOptions options;
    options.skip = 2;
    options.rate = 500;
    options.sensors = {2, 5, 11};
    Receiver rx(options);
    ASSERT_TRUE(rx.open()) << rx.line.lastError().toStdString();

    ASSERT_TRUE(rx.line.write("r\r"));
    EXPECT_EQ(rx.Take(3000, 1), QStringList{"r02"});
    rx.taken.clear();
    ASSERT_TRUE(rx.line.write("d\r"));
    rx.Take(3000, 40);
    ASSERT_TRUE(rx.line.write("s\r"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rx.controller.isStreaming(); }, 3000));
    const QStringList lines = rx.Take(100);

    // Every line decodes into exactly what the controller says it sent, in order, and nothing
    // more arrives after the stop.
    const auto sent = rx.controller.sentReadings();
    ASSERT_EQ(qsizetype(sent.size()), lines.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        const Reading r = DecodeDataLine(lines[qsizetype(i)]);
        EXPECT_EQ(std::vector<int>({r.RxSensor, r.RxPress, r.RxX, r.RxY}),
                  std::vector<int>({sent[i].sensor, sent[i].press, sent[i].x, sent[i].y}))
            << i;
    }
    EXPECT_EQ(rx.Take(150).size(), lines.size());
    EXPECT_EQ(rx.state.DroppedBytes, 0);
}

TEST(QtSerialLine, HangUpIsReportedOnceAndClosesTheLine) {
    sim::SimOptions options;
    options.rate = 200;
    options.hangupAfter = 5;
    Receiver rx(options);
    QSignalSpy lost(&rx.line, &SerialLine::lineLost);
    ASSERT_TRUE(rx.open());
    rx.line.write("d\r");
    ASSERT_TRUE(lost.wait(3000));
    QTest::qWait(300);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(rx.line.isOpen());
    EXPECT_EQ(rx.buffer.Count(), 5);
    EXPECT_FALSE(rx.line.write("s\r"));
}

}  // namespace
}  // namespace korvi

// The serial line's device names, and a hang-up of the simulated controller over a real
// pseudo-terminal reported once.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "link/BufferClass.h"
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
    sim::Simulator controller;
    SerialConfig config;
    QtSerialLine line;
    ReceiveState state;
    BufferClass buffer;
    ComDataMonitor monitor;
    ReceiveEvent onComm{line, state, buffer, monitor};
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

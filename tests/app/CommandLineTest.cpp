// The command line: what it reads, and the mistakes it refuses with their texts.
#include <gtest/gtest.h>

#include "app/MainModule.h"

namespace korvi {
namespace {

TEST(CommandLineOptions, AreReadAsGivenAndMistakesAreRefused) {
    StartOptions options;
    QString text;
    ASSERT_EQ(ParseCommandLine({"--port", "/dev/ttyUSB1", "--layout", "a.lay", "--draw-setting",
                                "2", "--start", "--record", "--reconnect", "--fullscreen", "--osc",
                                "192.168.1.20:9000", "--tuio", "[::1]:3333", "--websocket", "8765"},
                               options, text),
              CommandLine::Run);
    EXPECT_EQ(options.osc, (UdpTarget{true, QStringLiteral("192.168.1.20"), 9000}));
    EXPECT_EQ(options.tuio, (UdpTarget{true, QStringLiteral("::1"), 3333}));
    EXPECT_EQ(options.websocketPort, 8765);
    EXPECT_EQ(options.port, QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(options.layout, QStringLiteral("a.lay"));
    EXPECT_EQ(options.drawSetting, 2);
    EXPECT_TRUE(options.start && options.record && options.reconnect && options.fullscreen);

    EXPECT_EQ(ParseCommandLine({"--help"}, options, text), CommandLine::Exit);
    for (const char* option : {"--port <DEVICE>", "--layout <FILE>", "--draw-setting <N>",
                               "--start", "--record", "--reconnect", "--fullscreen", "--version",
                               "--osc <HOST:PORT>", "--tuio <HOST:PORT>", "--websocket <PORT>"}) {
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;
    }
    EXPECT_EQ(ParseCommandLine({"--draw-setting", "x"}, options, text), CommandLine::Error);
    EXPECT_EQ(text, QStringLiteral("--draw-setting: 'x' is no number from 1."));
    EXPECT_EQ(ParseCommandLine({"--osc", "localhost"}, options, text), CommandLine::Error);
    EXPECT_EQ(text, QStringLiteral("--osc: 'localhost' is no HOST:PORT."));
    EXPECT_EQ(ParseCommandLine({"--websocket", "65536"}, options, text), CommandLine::Error);
    EXPECT_EQ(text, QStringLiteral("--websocket: '65536' is no port from 1 to 65535."));
    EXPECT_EQ(ParseCommandLine({"--colour"}, options, text), CommandLine::Error);
    EXPECT_EQ(text, QStringLiteral("Unknown option 'colour'."));
}

}  // namespace
}  // namespace korvi

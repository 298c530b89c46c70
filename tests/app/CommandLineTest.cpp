// The command line: what it reads, and the real program started with it under an X server,
// streaming from the simulator and recording with no click.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include "app/MainModule.h"
#include "sim/Simulator.h"
#include "tests/support/TempAppFolder.h"

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

// korvisensor --port P --layout F --start --record: readings reach the recording with no click.
TEST(CommandLineScreenshot, StartAndRecordStreamIntoTheRecordingWithNoClick) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "needs an X server (the app.command_line_screenshot test)";
    }
    test::TempAppFolder folder;
    folder.writeDefaults();
    sim::SimOptions options;
    options.rate = 200;
    options.linkPath = folder.file(QStringLiteral("ttyKORVI"));
    sim::Simulator simulator;
    ASSERT_FALSE(simulator.start(options).isEmpty()) << simulator.error().toStdString();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVISENSOR_HOME"), folder.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.file(QStringLiteral("config")));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(qEnvironmentVariable("KORVI_BINARY_DIR") + QStringLiteral("/app/korvisensor"),
                  {"--port", options.linkPath, "--layout",
                   test::TempAppFolder::demoFolder() + QStringLiteral("/DemoLayout.lay"),
                   "--draw-setting", "1", "--start", "--record"});
    ASSERT_TRUE(program.waitForStarted(5000));
    const QString csv = folder.file(QStringLiteral("SavaData/KorviData.csv"));
    QList<QByteArray> rows;
    const bool recorded = QTest::qWaitFor(
        [&] {
            rows = test::ReadFile(csv).split('\n');
            return rows.size() > 100 || program.state() != QProcess::Running;
        },
        20000);
    program.terminate();
    program.waitForFinished(5000);
    ASSERT_TRUE(recorded);
    ASSERT_GT(rows.size(), 100) << "the program ended";
    // The header, then the readings sent after the first one ("r00" discards it), in order.
    const auto sent = simulator.sentReadings();
    for (int i = 1; i < 100; ++i) {
        const auto& r = sent[static_cast<size_t>(i)];
        EXPECT_EQ(
            rows[i],
            QStringLiteral("%1,%2,%3,%4\r").arg(r.sensor).arg(r.press).arg(r.x).arg(r.y).toLatin1())
            << i;
    }
}

}  // namespace
}  // namespace korvi

// The simulated controller seen from the program's side of its pseudo-terminal: answers,
// streaming and stopping, the faults it injects, its link and the korvi-sim tool itself.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

#include "sim/ReadingGenerator.h"
#include "sim/Simulator.h"

namespace korvi::sim {
namespace {

// The program's end of the terminal, read and written with plain POSIX calls.
class Client {
  public:
    explicit Client(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Client() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }
    void send(const char* text) { ASSERT_GT(::write(fd_, text, strlen(text)), 0); }

    // Reads until `done` holds for what arrived so far, or the time runs out.
    QByteArray readUntil(const std::function<bool(const QByteArray&)>& done, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!done(received) && timer.elapsed() < timeoutMs) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buffer[4096];
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0) {
                    received.append(buffer, n);
                    ++reads;
                }
            }
        }
        return received;
    }
    QByteArray readFor(int ms) {
        return readUntil([](const QByteArray&) { return false; }, ms);
    }

    QByteArray received;
    int reads = 0;

  private:
    int fd_ = -1;
};

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        usleep(2000);
    }
    return true;
}

TEST(Simulator, AnswersTheStatusRequestAsToldOrNotAtAll) {
    struct Case {
        SimOptions options;
        QByteArray answer;
    };
    SimOptions skip;
    skip.skip = 10;
    SimOptions wrong;
    wrong.status = "r1";
    SimOptions silent;
    silent.silent = true;
    for (const Case& c : {Case{SimOptions{}, "r00\r\n"}, Case{skip, "r0A\r\n"},
                          Case{wrong, "r1\r\n"}, Case{silent, ""}}) {
        Simulator sim;
        Client client(sim.start(c.options));
        ASSERT_TRUE(client.ok()) << sim.error().toStdString();
        client.send("r\r");
        client.readUntil([](const QByteArray& b) { return b.endsWith("\r\n"); }, 300);
        EXPECT_EQ(client.received, c.answer);
        ASSERT_TRUE(WaitFor([&] { return sim.receivedCommands().size() == 1; }));
        EXPECT_EQ(sim.receivedCommands()[0].text, "r");
    }
}

TEST(Simulator, StreamsWhatItRecordsAndStopsOnCommand) {
    SimOptions options;
    options.rate = 2000;
    options.sensors = {1, 14};
    Simulator sim;
    Client client(sim.start(options));
    ASSERT_TRUE(client.ok());
    client.send("d\r");
    client.readUntil([](const QByteArray& b) { return b.count('\n') >= 50; }, 3000);
    client.send("s\r");
    ASSERT_TRUE(WaitFor([&] { return !sim.isStreaming(); }));
    client.readFor(100);
    const QByteArray quiet = client.readFor(150);

    QByteArray expected;
    for (const SentReading& r : sim.sentReadings()) {
        EXPECT_FALSE(r.malformed);
        EXPECT_TRUE(r.sensor == 1 || r.sensor == 14);
        expected += r.line + "\r\n";
    }
    EXPECT_EQ(client.received, expected);
    EXPECT_EQ(quiet, expected);  // nothing more after the stop
    EXPECT_GE(sim.sentReadingCount(), 50);
}

TEST(Simulator, FaultsCutMangleAndEndTheStream) {
    SimOptions options;
    options.rate = 0;
    options.count = 10;
    options.malformedEvery = 3;
    options.splitWrites = true;
    Simulator sim;
    Client client(sim.start(options));
    ASSERT_TRUE(client.ok());
    client.send("d\r");
    client.readUntil([](const QByteArray& b) { return b.count("\r\n") >= 10; }, 3000);
    client.readFor(100);
    EXPECT_FALSE(sim.isStreaming());

    const auto sent = sim.sentReadings();
    ASSERT_EQ(sent.size(), 10u);
    QByteArray expected;
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].malformed, (i + 1) % 3 == 0) << i;
        expected += sent[i].line + "\r\n";
    }
    EXPECT_EQ(client.received, expected);
    EXPECT_GT(client.reads, 10);  // lines arrived in pieces
    EXPECT_NE(sent[2].line, DataLine({sent[2].sensor, sent[2].press, sent[2].x, sent[2].y}));

    SimOptions bare;
    bare.noLineEnds = true;
    bare.count = 5;
    bare.rate = 0;
    Simulator sim2;
    Client client2(sim2.start(bare));
    client2.send("d\r");
    client2.readUntil([](const QByteArray& b) { return b.size() >= 50; }, 2000);
    EXPECT_EQ(client2.received.size(), 50);
    EXPECT_FALSE(client2.received.contains('\r') || client2.received.contains('\n'));
}

TEST(Simulator, HangsUpAfterTheGivenLinesAndRemovesItsLink) {
    QTemporaryDir dir;
    SimOptions options;
    options.rate = 500;
    options.hangupAfter = 3;
    options.linkPath = dir.filePath("korvi-tty");
    Simulator sim;
    const QString device = sim.start(options);
    ASSERT_FALSE(device.isEmpty()) << sim.error().toStdString();
    EXPECT_EQ(QFileInfo(options.linkPath).symLinkTarget(), device);

    Client client(options.linkPath);
    ASSERT_TRUE(client.ok());
    client.send("d\r");
    client.readUntil([](const QByteArray& b) { return b.count('\n') >= 3; }, 2000);
    ASSERT_TRUE(WaitFor([&] { return sim.hasHungUp(); }));
    EXPECT_EQ(client.received.count('\n'), 3);
    EXPECT_EQ(sim.sentReadingCount(), 3);
    sim.stop();
    EXPECT_FALSE(QFileInfo::exists(options.linkPath));
}

TEST(Simulator, SurvivesTheProgramClosingAndReopeningThePort) {
    Simulator sim;
    const QString device = sim.start({});
    {
        Client first(device);
        first.send("r\r");
        first.readUntil([](const QByteArray& b) { return b.endsWith("\n"); }, 500);
        EXPECT_EQ(first.received, "r00\r\n");
    }
    Client second(device);
    ASSERT_TRUE(second.ok());
    second.send("r\r");
    second.readUntil([](const QByteArray& b) { return b.endsWith("\n"); }, 500);
    EXPECT_EQ(second.received, "r00\r\n");
}

TEST(KorviSimTool, PrintsTheDeviceFirstAndServesIt) {
    QProcess tool;
    tool.start(KORVI_SIM_EXE, {"--skip", "1", "--quiet"});
    ASSERT_TRUE(tool.waitForStarted());
    ASSERT_TRUE(tool.waitForReadyRead(3000));
    const QString device = QString::fromLocal8Bit(tool.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith("/dev/pts/")) << device.toStdString();
    Client client(device);
    ASSERT_TRUE(client.ok());
    client.send("r\r");
    client.readUntil([](const QByteArray& b) { return b.endsWith("\n"); }, 1000);
    EXPECT_EQ(client.received, "r01\r\n");
    tool.terminate();
    EXPECT_TRUE(tool.waitForFinished(3000));
    EXPECT_EQ(tool.exitCode(), 0);

    QProcess bad;
    bad.start(KORVI_SIM_EXE, {"--rate", "fast"});
    ASSERT_TRUE(bad.waitForFinished(3000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardError().contains("--rate"));
}

}  // namespace
}  // namespace korvi::sim

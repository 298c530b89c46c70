// The simulated controller's fault options seen from the program's side of its pseudo-terminal,
// and the korvi-sim tool itself.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "link/LineProtocol.h"
#include "sim/ReadingGenerator.h"
#include "sim/Simulator.h"
#include "tests/support/TempAppFolder.h"

namespace korvi::sim {
namespace {

// The program's end of the terminal, read and written with plain POSIX calls.
class Client {
  public:
    explicit Client(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~Client() { ::close(fd_); }
    bool ok() const { return fd_ >= 0; }
    // Sends the command, then reads until `done` holds for what arrived, or the time runs out.
    QByteArray ask(const char* command, const std::function<bool(const QByteArray&)>& done,
                   int timeoutMs = 2000) {
        EXPECT_GT(::write(fd_, command, strlen(command)), 0);
        QElapsedTimer timer;
        timer.start();
        while (!done(received) && timer.elapsed() < timeoutMs) {
            pollfd p{fd_, POLLIN, 0};
            char buffer[4096];
            const ssize_t n = poll(&p, 1, 10) > 0 ? ::read(fd_, buffer, sizeof buffer) : 0;
            if (n > 0) {
                received.append(buffer, n);
            }
        }
        return received;
    }
    QByteArray received;

  private:
    int fd_;
};

const auto kLineEnd = [](const QByteArray& b) { return b.endsWith("\r\n"); };
const auto kNever = [](const QByteArray&) { return false; };

TEST(Simulator, AnswersTheStatusRequestAsToldOrNotAtAll) {
    SimOptions skip, wrong, silent;
    skip.skip = 10;
    wrong.status = "r1";
    silent.silent = true;
    const std::pair<SimOptions, QByteArray> cases[] = {
        {SimOptions{}, "r00\r\n"}, {skip, "r0A\r\n"}, {wrong, "r1\r\n"}, {silent, ""}};
    for (const auto& [options, answer] : cases) {
        Simulator sim;
        Client client(sim.start(options));
        ASSERT_TRUE(client.ok()) << sim.error().toStdString();
        EXPECT_EQ(client.ask("r\r", kLineEnd, 300), answer);
        EXPECT_EQ(sim.receivedCommands().size(), 1u);
    }
}

TEST(Simulator, CountMalformedAndSplitWritesCutAndMangleTheStream) {
    SimOptions options;
    options.rate = 0;
    options.count = 10;
    options.malformedEvery = 3;
    options.splitWrites = true;
    Simulator sim;
    Client client(sim.start(options));
    // Until the stream has ended, its lines are in and the simulator has noted the last one (it
    // notes a line after writing it, so the client may see the line first).
    client.ask(
        "d\r",
        [&](const QByteArray& b) {
            return b.count("\r\n") >= 10 && !sim.isStreaming() && sim.sentReadings().size() >= 10 &&
                   sim.dataPieceCount() >= 30;
        },
        5000);
    EXPECT_FALSE(sim.isStreaming());
    const auto sent = sim.sentReadings();
    ASSERT_EQ(sent.size(), 10u);
    QByteArray expected;
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].malformed, (i + 1) % 3 == 0) << i;
        expected += sent[i].line + "\r\n";
    }
    EXPECT_EQ(client.received, expected);
    // Every line went out in three writes of its own, 2 ms apart. How many reads the client
    // needed depends on the machine's load (pieces written while it waits arrive together), so
    // the pieces are counted where they are written.
    EXPECT_EQ(sim.dataPieceCount(), 30);
    EXPECT_NE(sent[2].line, DataLine({sent[2].sensor, sent[2].press, sent[2].x, sent[2].y}));

    SimOptions bare;
    bare.noLineEnds = true;
    bare.count = 5;
    bare.rate = 0;
    Simulator sim2;
    Client client2(sim2.start(bare));
    const QByteArray got = client2.ask("d\r", [](const QByteArray& b) { return b.size() >= 50; });
    EXPECT_EQ(got.size(), 50);
    EXPECT_FALSE(got.contains('\r') || got.contains('\n'));
}

TEST(KorviSimTool, ReplaySendsTheRecordingsRowsOnceAsDataLines) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("KorviData.csv"));
    ASSERT_TRUE(test::WriteFile(csv, test::kRecordingHeader +
                                         "3,128,2048,1024\r\n0,0,0,0\r\n15,255,4095,4095\r\n"
                                         "9,1,4000,17\r\n4,16,256,4080\r\n"));

    QProcess tool;
    tool.start(KORVI_SIM_EXE, {"--replay", csv, "--rate", "200", "--quiet"});
    ASSERT_TRUE(tool.waitForReadyRead(3000));
    Client client(QString::fromLocal8Bit(tool.readLine()).trimmed());
    client.ask("r\r", kLineEnd);
    // The status and five rows; nothing follows the last row.
    client.ask("d\r", kNever, 500);
    tool.terminate();
    EXPECT_TRUE(tool.waitForFinished(3000));

    ReceiveState state;
    BufferClass lines;
    lines.SetSize(100);
    SplitReceivedLines(client.received, state, lines);
    QString line;
    ASSERT_TRUE(lines.TakeData(line));
    EXPECT_EQ(line, QStringLiteral("r00"));
    QStringList rows;
    while (lines.TakeData(line)) {
        const Reading r = DecodeDataLine(line);
        rows << QStringLiteral("%1,%2,%3,%4").arg(r.RxSensor).arg(r.RxPress).arg(r.RxX).arg(r.RxY);
    }
    EXPECT_EQ(rows, (QStringList{"3,128,2048,1024", "0,0,0,0", "15,255,4095,4095", "9,1,4000,17",
                                 "4,16,256,4080"}));
}

}  // namespace
}  // namespace korvi::sim

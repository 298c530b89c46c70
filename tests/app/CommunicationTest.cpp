// The exchange with a controller end to end: the real program logic talks through a real
// pseudo-terminal to the controller simulator. Each test checks what the simulator received and
// what the window shows.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <atomic>

#include "link/CommunicationControl.h"
#include "platform/SerialPorts.h"
#include "recording/CsvRecorder.h"
#include "tests/support/SimulatedProgram.h"
#include "tests/support/WindowMouse.h"

namespace korvi {
namespace {

using sim::SimOptions;

// The system's ports, counting how often the program asks for them.
class CountedPorts : public PortEnumerator {
  public:
    std::vector<SerialPortEntry> availablePorts() const override {
        ++asked;
        return system.availablePorts();
    }
    QtPortEnumerator system;
    mutable std::atomic<int> asked{0};
};

class Communication : public test::SimulatedProgram {
  protected:
    void Click() { test::Click(window->cmdComm); }

    // Data rows of the CSV recording, as "sensor,press,x,y".
    QStringList CsvRows() const {
        return QString::fromLatin1(test::ReadFile(window->csv().FilePath()))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
            .mid(1);
    }

    // The readings the simulator sent, less the first of every data start (the one the ready
    // status "r00" discards).
    QStringList SentRows() const {
        QStringList rows;
        const auto sent = simulator.sentReadings();
        for (size_t i = 1; i < sent.size(); ++i) {
            if (sent[i].run == sent[i - 1].run) {
                rows << QStringLiteral("%1,%2,%3,%4")
                            .arg(sent[i].sensor)
                            .arg(sent[i].press)
                            .arg(sent[i].x)
                            .arg(sent[i].y);
            }
        }
        return rows;
    }
};

// A sound file that is missing or cannot be played stops the start before anything is sent.
TEST_F(Communication, UnusableSoundFileStopsTheStartBeforeAnythingIsSent) {
    folder.write(QStringLiteral("Sound/bad.wav"), QByteArray("RIFF\x04\0\0\0WAVE", 12));
    StartOnSimulator(SimOptions{});
    const struct {
        const char* file;
        QString text, title;
    } cases[] = {
        {"missing.wav",
         QStringLiteral("音声ファイル(SoundFile1) Sound\\missing.wav が見つかりません。\r\n"
                        "設定ファイルの 音声ファイル名 を確認してください。"),
         QStringLiteral("Directory Error!")},
        {"bad.wav",
         QStringLiteral("音声ファイル(SoundFile1) Sound\\bad.wav は再生できません。\r\n"
                        "音声データがありません。"),
         QStringLiteral("音声ファイルエラー")}};
    for (const auto& c : cases) {
        folder.write(QStringLiteral("DrawSetting1.ini"),
                     "[Disp_Setting]\r\nPressColor0=0,FF,&H0000FF,4\r\nPressThresh=0\r\n"
                     "SoundFile1=Sound\\" +
                         QByteArray(c.file) + "\r\nPlayCondition1=0,0,0-FFF,0-FFF,1-FF,1,1\r\n");
        boxes.shown.clear();
        Click();
        ASSERT_EQ(boxes.shown.size(), 1u) << c.file;
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].title, c.title);
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
        EXPECT_FALSE(serial.isOpen());
    }
    QTest::qWait(100);
    EXPECT_TRUE(simulator.receivedCommands().empty());
}

// With reconnecting on, the controller's device pulled for 3 s while recording 1,000 readings a
// second: no box, the status bar shows the wait, readings flow again within 1 s of the device's
// return, and the recording holds every reading the simulator sent (less the one each data start
// discards). No one looks for ports while the line is healthy. Device= names the device, so
// Setting.ini needs no port number.
TEST_F(Communication, ALostDeviceIsWaitedForAndTheRecordingGoesOnWhenItIsBack) {
    SimOptions options;
    options.rate = 1000;
    options.count = 4000;
    StartOnSimulator(options, QString());
    CountedPorts ports;
    window->SetPortEnumerator(ports);
    window->comm().SetReconnect(true);
    test::Click(window->btnSaveCsv);
    Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->comm().ReadingCount() >= 500; }));
    const int askedAtStart = ports.asked;
    simulator.unplug(3000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !simulator.isPlugged(); }));
    EXPECT_EQ(ports.asked, askedAtStart);

    const QString waiting = QStringLiteral("再接続待ち %1 (").arg(link);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->statusLink->text().startsWith(waiting); }, 1000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return window->statusLink->text() == waiting + QStringLiteral("2 秒)   CSV 記録中");
        },
        2500))
        << window->statusLink->text().toStdString();
    EXPECT_EQ(window->cmdComm->text(), QStringLiteral("通信停止"));
    EXPECT_GT(ports.asked, askedAtStart);

    const int64_t before = window->comm().ReadingCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.isPlugged(); }));
    QElapsedTimer back;
    back.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->comm().ReadingCount() > before; }));
    EXPECT_LT(back.elapsed(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.sentReadingCount() == 4000; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->comm().ReadingCount() == 3998; }))
        << window->comm().ReadingCount();
    Click();
    EXPECT_TRUE(boxes.shown.empty());
    const QStringList expected = SentRows();
    EXPECT_EQ(expected.size(), 3998);
    EXPECT_EQ(CsvRows(), expected);
}

}  // namespace
}  // namespace korvi

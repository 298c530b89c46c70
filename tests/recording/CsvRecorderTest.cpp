// CSV recording: the bytes of the file in both modes, the recording length, the row limit, the
// stop paths, an unwritable file and the once-a-second flush.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "recording/CsvRecorder.h"
#include "settings/DrawSetting.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

const QByteArray kHeaderLine = QByteArray::fromHex(
                                   "835A83938354815B4E6F2E2C88B397CD2C588DC09557"
                                   "2C598DC09557") +
                               "\r\n";

class CsvRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("SavaData")));
        recorder.SetCaptionHandler([this](const QString& c) { captions << c; });
    }
    // Timed sampling at `sampling` rows a second for `allTime` seconds.
    void Timed(int16_t sampling, int16_t allTime) {
        setting.Sampling = sampling;
        setting.CsvIntervalMs = 1000 / sampling;
        setting.AllTime = allTime;
    }
    QByteArray FileBytes() const {
        QFile file(recorder.FilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int Lines() const { return static_cast<int>(FileBytes().count("\r\n")); }

    QTemporaryDir home;
    DrawSetting setting;
    test::RecordingMessageBoxes boxes;
    CsvRecorder recorder{home.path(), setting, boxes};
    QStringList captions;
};

TEST_F(CsvRecorderTest, EveryReadingModeWritesAShiftJisHeaderAndOneRowPerReading) {
    setting.AllTime = 10;
    EXPECT_EQ(recorder.Caption(), "CSV出力");
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(recorder.CsvMode(), 2);
    EXPECT_TRUE(recorder.smpleEndTimeerEnabled());
    EXPECT_EQ(captions, QStringList{"CSV出力中"});

    recorder.OnReading(3, 128, 2048, 1024);
    recorder.OnReading(0, 0, 0, 0);
    recorder.OnReading(15, 255, 4095, 4095);
    EXPECT_FALSE(recorder.CSVTimeEnabled());
    recorder.btnSaveCsv_Click();

    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_EQ(captions, (QStringList{"CSV出力中", "CSV出力"}));
    EXPECT_EQ(FileBytes(), kHeaderLine + "3,128,2048,1024\r\n0,0,0,0\r\n15,255,4095,4095\r\n");
}

TEST_F(CsvRecorderTest, TimedModeSamplesTheLastReadingAndPausesAfterARelease) {
    Timed(4, 10);
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(recorder.CsvMode(), 1);
    EXPECT_FALSE(recorder.smpleEndTimeerEnabled());
    EXPECT_FALSE(recorder.CSVTimeEnabled());  // only the first reading turns sampling on

    recorder.OnReading(1, 50, 10, 20);
    EXPECT_TRUE(recorder.CSVTimeEnabled());
    recorder.CSVTime_Timer();
    recorder.CSVTime_Timer();  // no new reading: the same one again
    recorder.OnReading(2, 0, 30, 40);
    recorder.CSVTime_Timer();  // the release is written once, then sampling pauses
    EXPECT_FALSE(recorder.CSVTimeEnabled());
    recorder.OnReading(4, 60, 70, 80);
    EXPECT_TRUE(recorder.CSVTimeEnabled());
    recorder.CSVTime_Timer();
    recorder.StopCsvOutput();

    EXPECT_FALSE(recorder.CSVTimeEnabled());
    EXPECT_EQ(FileBytes(), kHeaderLine + "1,50,10,20\r\n1,50,10,20\r\n2,0,30,40\r\n4,60,70,80\r\n");
}

TEST_F(CsvRecorderTest, TimedModeLengthIsCountedInRowsTimesInterval) {
    struct Case {
        int16_t allTime;
        int rows;
    };
    for (const Case c : {Case{10, 40}, Case{0, 1}}) {
        SCOPED_TRACE(c.allTime);
        Timed(4, c.allTime);
        recorder.btnSaveCsv_Click();
        recorder.OnReading(1, 50, 10, 20);
        int ticks = 0;
        while (recorder.CsvMode() != 0 && ticks < 100) {
            recorder.CSVTime_Timer();
            ++ticks;
        }
        EXPECT_EQ(ticks, c.rows);
        EXPECT_EQ(Lines(), 1 + c.rows);
        EXPECT_EQ(recorder.Caption(), "CSV出力");
    }
}

TEST_F(CsvRecorderTest, RowLimitWritesTheRowThatPassesItThenStops) {
    recorder.btnSaveCsv_Click();
    for (int i = 0; i < 32001; ++i) {
        recorder.OnReading(static_cast<int16_t>(i % 16), 100, 200, 300);
    }
    EXPECT_EQ(recorder.CsvMode(), 0);
    recorder.OnReading(0, 100, 200, 300);  // no longer recording
    EXPECT_EQ(Lines(), 1 + 32001);
    EXPECT_TRUE(FileBytes().endsWith("\r\n0,100,200,300\r\n"));
}

TEST_F(CsvRecorderTest, SecondRecordingReplacesTheFirst) {
    recorder.btnSaveCsv_Click();
    for (int i = 0; i < 5; ++i) {
        recorder.OnReading(1, 2, 3, 4);
    }
    recorder.btnSaveCsv_Click();
    recorder.btnSaveCsv_Click();
    recorder.OnReading(9, 8, 7, 6);
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(FileBytes(), kHeaderLine + "9,8,7,6\r\n");
}

TEST_F(CsvRecorderTest, EndTimerEndsTheRecordingAndAnyStopTurnsItOff) {
    setting.AllTime = 10;
    recorder.btnSaveCsv_Click();
    recorder.smpleEndTimeer_Timer();
    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_FALSE(recorder.smpleEndTimeerEnabled());
    EXPECT_EQ(recorder.Caption(), "CSV出力");

    // Stopped early by the button, a recording leaves no end timer behind to cut the next one.
    recorder.btnSaveCsv_Click();
    EXPECT_TRUE(recorder.smpleEndTimeerEnabled());
    recorder.btnSaveCsv_Click();
    EXPECT_FALSE(recorder.smpleEndTimeerEnabled());
}

TEST_F(CsvRecorderTest, FileThatCannotBeCreatedIsReportedAndRecordingStaysOff) {
    ASSERT_TRUE(QDir(home.path()).rmdir(QStringLiteral("SavaData")));
    QFile blocker(QDir(home.path()).filePath(QStringLiteral("SavaData")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
    blocker.close();

    recorder.btnSaveCsv_Click();

    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_TRUE(captions.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("KorviData.csv")));
    EXPECT_EQ(boxes.shown[0].title, "CSV出力エラー");
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
    recorder.OnReading(1, 2, 3, 4);  // harmless while off
    EXPECT_FALSE(recorder.CSVTimeEnabled());
}

TEST_F(CsvRecorderTest, RowsReachTheDiskAtTheFlushTickWithoutStopping) {
    recorder.btnSaveCsv_Click();
    recorder.OnReading(3, 128, 2048, 1024);
    recorder.OnReading(4, 129, 2049, 1025);
    recorder.FlushTick();
    EXPECT_EQ(recorder.CsvMode(), 2);
    EXPECT_EQ(FileBytes(), kHeaderLine + "3,128,2048,1024\r\n4,129,2049,1025\r\n");
}

TEST_F(CsvRecorderTest, FullDiskEndsTheRecordingWithAMessage) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) {
        GTEST_SKIP() << "no /dev/full here";
    }
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), recorder.FilePath()));
    recorder.btnSaveCsv_Click();
    recorder.OnReading(3, 128, 2048, 1024);
    recorder.FlushTick();

    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_EQ(recorder.Caption(), "CSV出力");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "CSV出力エラー");
}

TEST_F(CsvRecorderTest, RealTimerSamplesUntilTheLengthIsReached) {
    Timed(50, 1);  // 20 ms a row, 50 rows
    recorder.btnSaveCsv_Click();
    recorder.OnReading(1, 50, 10, 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.CsvMode() == 0; }, 5000));
    EXPECT_EQ(Lines(), 1 + 50);
}

}  // namespace
}  // namespace korvi

// CSV recording: the bytes of the file in both modes, the recording length, the row limit, the
// end timer, reading the file back, files that cannot be written (a full disk among them) and the
// once-a-second flush.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "recording/CsvRecorder.h"
#include "recording/RecordingReader.h"
#include "settings/DrawSetting.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

using test::kRecordingHeader;

class CsvRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("SavaData")));
        recorder.SetCaptionHandler([this](const QString& c) { captions << c; });
        recorder.SetStatusHandler([this] { statuses << recorder.StatusText(); });
    }
    // Timed sampling at `sampling` rows a second for `allTime` seconds.
    void Timed(int16_t sampling, int16_t allTime) {
        setting.Sampling = sampling;
        setting.CsvIntervalMs = 1000 / sampling;
        setting.AllTime = allTime;
    }
    QByteArray FileBytes() const { return test::ReadFile(recorder.FilePath()); }

    QTemporaryDir home;
    DrawSetting setting;
    test::RecordingMessageBoxes boxes;
    CsvRecorder recorder{home.path(), setting, boxes};
    QStringList captions;
    QStringList statuses;
};

TEST_F(CsvRecorderTest, EveryReadingModeWritesEachReadingFlushedEverySecondAndRestartsTheFile) {
    setting.AllTime = 10;
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(recorder.CsvMode(), 2);
    recorder.OnReading(3, 128, 2048, 1024);
    recorder.OnReading(15, 255, 4095, 4095);
    // On disk within a second, while still recording.
    const QByteArray rows = kRecordingHeader + "3,128,2048,1024\r\n15,255,4095,4095\r\n";
    EXPECT_TRUE(QTest::qWaitFor([&] { return FileBytes() == rows; }, 5000));
    EXPECT_EQ(recorder.CsvMode(), 2);
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(captions, (QStringList{"CSV出力中", "CSV出力"}));

    recorder.btnSaveCsv_Click();
    recorder.OnReading(9, 8, 7, 6);
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(FileBytes(), kRecordingHeader + "9,8,7,6\r\n");
}

TEST_F(CsvRecorderTest, TimedModeSamplesTheLastReadingAndPausesAfterARelease) {
    Timed(50, 10);  // a row every 20 ms
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(recorder.CsvMode(), 1);
    QTest::qWait(60);
    EXPECT_FALSE(recorder.CSVTimeEnabled());  // only the first reading turns sampling on
    const QByteArray first = "1,50,10,20\r\n";
    recorder.OnReading(1, 50, 10, 20);
    // Rows reach the disk within the second's flush.
    EXPECT_TRUE(QTest::qWaitFor([&] { return FileBytes().count(first) >= 2; }, 5000));
    recorder.OnReading(2, 0, 30, 40);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder.CSVTimeEnabled(); }, 5000));
    QTest::qWait(100);  // paused: nothing more is written meanwhile
    recorder.OnReading(4, 60, 70, 80);
    EXPECT_TRUE(QTest::qWaitFor([&] { return FileBytes().contains("4,60,70,80"); }, 5000));
    recorder.StopCsvOutput();
    // The first reading again at every tick, the release once, then the next reading.
    const QByteArray bytes = FileBytes();
    const qsizetype repeats = bytes.count(first);
    const qsizetype later = bytes.count("4,60,70,80\r\n");
    EXPECT_GE(repeats, 2);
    EXPECT_GE(later, 1);
    EXPECT_EQ(bytes, kRecordingHeader + first.repeated(repeats) + "2,0,30,40\r\n" +
                         QByteArray("4,60,70,80\r\n").repeated(later));
}

TEST_F(CsvRecorderTest, TimedModeLengthIsCountedInRowsTimesIntervalAndSoIsTheTimeLeft) {
    // 3 rows of 333 ms fall short of one second; one row a second is timed too.
    const struct {
        int16_t sampling, allTime;
        int rows;
        QStringList statuses;
    } cases[] = {
        {50, 2, 100, {"CSV 記録中 残り 2 秒", "CSV 記録中 残り 1 秒", "CSV 記録終了 (2 秒)"}},
        {50, 0, 1, {"CSV 記録中", "CSV 記録終了 (0 秒)"}},
        {3, 1, 4, {"CSV 記録中 残り 1 秒", "CSV 記録終了 (1 秒)"}},
        {1, 1, 1, {"CSV 記録中 残り 1 秒", "CSV 記録終了 (1 秒)"}},
    };
    for (const auto& c : cases) {
        Timed(c.sampling, c.allTime);
        statuses.clear();
        recorder.btnSaveCsv_Click();
        EXPECT_EQ(recorder.CsvMode(), 1);
        recorder.OnReading(1, 50, 10, 20);
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.CsvMode() == 0; }, 10000));
        EXPECT_EQ(FileBytes().count("\r\n"), 1 + c.rows) << c.sampling << " " << c.allTime;
        EXPECT_EQ(statuses, c.statuses) << c.sampling << " " << c.allTime;
    }
}

TEST_F(CsvRecorderTest, RowLimitWritesTheRowThatPassesItThenStops) {
    recorder.btnSaveCsv_Click();
    for (int i = 0; i < 32002; ++i) {
        recorder.OnReading(static_cast<int16_t>(i % 16), 100, 200, 300);
    }
    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_EQ(recorder.StatusText(), "CSV 記録終了 (32001 行)");
    EXPECT_EQ(FileBytes().count("\r\n"), 1 + 32001);
    EXPECT_TRUE(FileBytes().endsWith("\r\n0,100,200,300\r\n"));
}

// The status bar counts the seconds down from AllTime to 1 as they pass, then says the recording
// ended and how long it was.
TEST_F(CsvRecorderTest,
       EndTimerEndsTheRecordingAfterAllTimeSecondsCountingDownAndAnyStopTurnsItOff) {
    setting.AllTime = 2;
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(recorder.StatusText(), "CSV 記録中 残り 2 秒");
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.StatusText() != "CSV 記録中 残り 2 秒"; }));
    EXPECT_EQ(recorder.StatusText(), "CSV 記録中 残り 1 秒");
    EXPECT_EQ(recorder.CsvMode(), 2) << "ended before AllTime had passed";
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.CsvMode() == 0; }, 5000));
    EXPECT_EQ(recorder.Caption(), "CSV出力");
    EXPECT_EQ(statuses,
              (QStringList{"CSV 記録中 残り 2 秒", "CSV 記録中 残り 1 秒", "CSV 記録終了 (2 秒)"}));
    setting.AllTime = 10;
    // Stopped early by the button, a recording leaves no end timer behind to cut the next one.
    recorder.btnSaveCsv_Click();
    EXPECT_TRUE(recorder.smpleEndTimeerEnabled());
    EXPECT_EQ(recorder.StatusText(), "CSV 記録中 残り 10 秒");
    recorder.btnSaveCsv_Click();
    EXPECT_FALSE(recorder.smpleEndTimeerEnabled());
    EXPECT_EQ(recorder.StatusText(), "CSV 停止");
}

TEST_F(CsvRecorderTest, TheReaderReadsTheFileBackRowForRowUpToEveryBound) {
    recorder.btnSaveCsv_Click();
    recorder.OnReading(0, 0, 0, 0);
    recorder.OnReading(15, 255, 4095, 4095);
    recorder.OnReading(7, 1, 2048, 9);
    recorder.btnSaveCsv_Click();

    const Recording r = ReadRecordingFile(recorder.FilePath());
    ASSERT_TRUE(r.ok()) << r.badLine << " " << r.problem.toStdString();
    EXPECT_EQ(r.rows,
              (std::vector<RecordedRow>{{0, 0, 0, 0}, {15, 255, 4095, 4095}, {7, 1, 2048, 9}}));

    // The same file after a tool changed its line ends to LF, wholly or in part.
    QByteArray lf = test::ReadFile(recorder.FilePath()).replace("\r\n", "\n");
    EXPECT_EQ(ParseRecording(lf).rows, r.rows);
    EXPECT_EQ(ParseRecording(lf.replace("0,0,0,0\n", "0,0,0,0\r\n")).rows, r.rows);

    const Recording headerOnly = ParseRecording(kRecordingHeader);
    EXPECT_TRUE(headerOnly.ok() && headerOnly.rows.empty());
}

TEST_F(CsvRecorderTest, UnwritableFilesAreReportedAndRecordingStopsOrNeverStarts) {
    // A full disk ends the recording at the flush.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), recorder.FilePath()));
    recorder.btnSaveCsv_Click();
    recorder.OnReading(3, 128, 2048, 1024);
    recorder.FlushTick();
    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_EQ(recorder.Caption(), "CSV出力");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("CSVファイルに書き込めませんでした。\n") + recorder.FilePath() +
                  QStringLiteral("\nディスクに空きがありません (No space left on device)。"));

    // A file where the folder should be: the file cannot be created at all.
    ASSERT_TRUE(QDir(home.filePath(QStringLiteral("SavaData"))).removeRecursively());
    ASSERT_TRUE(test::WriteFile(home.filePath(QStringLiteral("SavaData")), {}));
    captions.clear();
    recorder.btnSaveCsv_Click();
    EXPECT_EQ(recorder.CsvMode(), 0);
    EXPECT_TRUE(captions.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("KorviData.csv")));
    EXPECT_EQ(boxes.shown[1].title, "CSV出力エラー");
    EXPECT_EQ(boxes.shown[1].icon, BoxIcon::Critical);
}

}  // namespace
}  // namespace korvi

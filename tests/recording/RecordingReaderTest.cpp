// Reading a recording back: the recorder's own files are read row for row, and anything else is
// refused at its first line that does not fit.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "recording/CsvRecorder.h"
#include "recording/RecordingReader.h"
#include "settings/DrawSetting.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

const QByteArray& kHeader = test::kRecordingHeader;

TEST(RecordingReader, ReadsTheRecordersOwnFileRowForRowUpToEveryBound) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("SavaData")));
    DrawSetting setting;
    test::RecordingMessageBoxes boxes;
    CsvRecorder recorder(home.path(), setting, boxes);
    recorder.btnSaveCsv_Click();
    recorder.OnReading(0, 0, 0, 0);
    recorder.OnReading(15, 255, 4095, 4095);
    recorder.OnReading(7, 1, 2048, 9);
    recorder.btnSaveCsv_Click();

    const Recording r = ReadRecordingFile(recorder.FilePath());
    ASSERT_TRUE(r.ok()) << r.badLine << " " << r.problem.toStdString();
    EXPECT_EQ(r.rows,
              (std::vector<RecordedRow>{{0, 0, 0, 0}, {15, 255, 4095, 4095}, {7, 1, 2048, 9}}));

    const Recording headerOnly = ParseRecording(kHeader);
    EXPECT_TRUE(headerOnly.ok() && headerOnly.rows.empty());
}

struct Damage {
    const char* what;
    QByteArray bytes;
    int badLine;
};

TEST(RecordingReader, RefusesAFileAtItsFirstLineOutsideTheFormat) {
    const QByteArray row = "1,2,3,4\r\n";
    const Damage cases[] = {
        {"empty file", "", 1},
        {"header in UTF-8", "センサーNo.,圧力,X座標,Y座標\r\n" + row, 1},
        {"header without CR", kHeader.chopped(2) + "\n" + row, 1},
        {"row ended by LF", kHeader + "1,2,3,4\n", 2},
        {"last row without line end", kHeader + row + row + "1,2,3,4", 4},
        {"empty line", kHeader + row + "\r\n" + row, 3},
        {"sensor 16", kHeader + row + row + "16,2,3,4\r\n", 4},
        {"pressure 256", kHeader + "0,256,0,0\r\n", 2},
        {"X 4096", kHeader + "0,0,4096,0\r\n", 2},
        {"Y 4096", kHeader + "0,0,0,4096\r\n", 2},
        {"huge number", kHeader + "0,0,0,4095000000\r\n", 2},
        {"negative", kHeader + "0,-1,0,0\r\n", 2},
        {"blank", kHeader + "0, 1,0,0\r\n", 2},
        {"three fields", kHeader + "0,1,2\r\n", 2},
        {"five fields", kHeader + "0,1,2,3,4\r\n", 2},
        {"quoted", kHeader + "\"0\",1,2,3\r\n", 2},
        {"decimal point", kHeader + "0,1.5,2,3\r\n", 2},
    };
    for (const Damage& c : cases) {
        const Recording r = ParseRecording(c.bytes);
        EXPECT_EQ(r.badLine, c.badLine) << c.what;
        EXPECT_TRUE(r.rows.empty()) << c.what;
    }
}

TEST(RecordingReader, RefusalNamesTheFileTheLineAndTheProblem) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("KorviData.csv"));
    ASSERT_TRUE(test::WriteFile(path, kHeader + "3,128,2048,1024\r\n3,300,2048,1024\r\n"));
    const Recording r = ReadRecordingFile(path);
    EXPECT_EQ(
        RecordingRefusal(path, r),
        path + QStringLiteral(" は記録の形式ではありません。\r\n3 行目: 圧力が範囲(0～255)外です"));

    const QString missing = QDir(dir.path()).filePath(QStringLiteral("none.csv"));
    EXPECT_EQ(
        RecordingRefusal(missing, ReadRecordingFile(missing)),
        missing + QStringLiteral(" は記録の形式ではありません。\r\n1 行目: ファイルを読めません"));
}

}  // namespace
}  // namespace korvi

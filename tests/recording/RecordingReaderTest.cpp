// Reading a recording back: anything but the recorder's own files is refused at its first line
// that does not fit.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "recording/RecordingReader.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

const QByteArray& kHeader = test::kRecordingHeader;

struct Damage {
    const char* what;
    QByteArray bytes;
    int badLine;
    const char* problem;
};

TEST(RecordingReader, RefusesAFileAtItsFirstLineOutsideTheFormat) {
    const QByteArray row = "1,2,3,4\r\n";
    const char* notHeader = "見出し行が違います";
    const char* lineEnd = "行末が CR LF でも LF でもありません";
    const char* fields = "項目が4つではありません";
    const Damage cases[] = {
        {"empty file", "", 1, notHeader},
        {"header in UTF-8", "センサーNo.,圧力,X座標,Y座標\r\n" + row, 1, notHeader},
        {"some other text, CR only", "name,age\rBob,7\r", 1, notHeader},
        {"header ended by CR alone", kHeader.chopped(2) + "\r" + row, 1, lineEnd},
        {"header without line end", kHeader.chopped(2), 1, lineEnd},
        {"row ended by CR CR LF", kHeader + "1,2,3,4\r\r\n", 2, lineEnd},
        {"last row without line end", kHeader + row + row + "1,2,3,4", 4, lineEnd},
        {"empty line", kHeader + row + "\n" + row, 3, "センサーNo.が数字ではありません"},
        {"sensor 16", kHeader + row + row + "16,2,3,4\r\n", 4, "センサーNo.が範囲(0～15)外です"},
        {"pressure 256", kHeader + "0,256,0,0\r\n", 2, "圧力が範囲(0～255)外です"},
        {"X 4096", kHeader + "0,0,4096,0\n", 2, "X座標が範囲(0～4095)外です"},
        {"Y 4096", kHeader + "0,0,0,4096\r\n", 2, "Y座標が範囲(0～4095)外です"},
        {"huge number", kHeader + "0,0,0,4095000000\r\n", 2, "Y座標が範囲(0～4095)外です"},
        {"negative", kHeader + "0,-1,0,0\r\n", 2, "圧力が数字ではありません"},
        {"blank", kHeader + "0, 1,0,0\r\n", 2, "圧力が数字ではありません"},
        {"three fields", kHeader + "0,1,2\r\n", 2, fields},
        {"five fields", kHeader + "0,1,2,3,4\r\n", 2, fields},
        {"quoted", kHeader + "\"0\",1,2,3\r\n", 2, "センサーNo.が数字ではありません"},
        {"decimal point", kHeader + "0,1.5,2,3\r\n", 2, "数字と区切り以外の文字があります"},
    };
    for (const Damage& c : cases) {
        const Recording r = ParseRecording(c.bytes);
        EXPECT_EQ(r.badLine, c.badLine) << c.what;
        EXPECT_EQ(r.problem, QString::fromUtf8(c.problem)) << c.what;
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

    ASSERT_TRUE(test::WriteFile(path, "Date,Value\r\n"));
    EXPECT_EQ(RecordingRefusal(path, ReadRecordingFile(path)),
              path + QStringLiteral(" は記録の形式ではありません: 見出し行が違います"));

    const QString missing = QDir(dir.path()).filePath(QStringLiteral("none.csv"));
    EXPECT_EQ(
        RecordingRefusal(missing, ReadRecordingFile(missing)),
        missing + QStringLiteral(" は記録の形式ではありません。\r\n1 行目: ファイルを読めません"));
}

}  // namespace
}  // namespace korvi

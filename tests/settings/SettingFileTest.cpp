#include <gtest/gtest.h>

#include "settings/Settings.h"
#include "tests/settings/IniTestFiles.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

QString SettingText(const QString& com, const QString& disp) {
    return "[Com_Setting]\r\n" + com + "[Disp_Setting]\r\n" + disp;
}

const QString kCom = QStringLiteral(
    "PortNo=3\r\nSpeed=19200\r\nParity=E\r\nDataLen=8\r\nStopBit=1\r\nDevice=/dev/pts/4\r\n");
const QString kDisp =
    QStringLiteral("BaseColor=&HE0E0E0\r\nBmpDir=足跡\\画像\r\nBaseDir=ベース\r\nMergeMode=1\r\n");

TEST(ReadSettingFile, FillsEverySettingFromShiftJisAndUtf8Files) {
    test::IniTestFiles files;
    const QString text = SettingText(kCom, kDisp);
    for (const QString& path :
         {files.writeShiftJis("sjis.ini", text), files.writeUtf8("utf8.ini", text)}) {
        Settings s;
        test::RecordingMessageBoxes boxes;
        EXPECT_EQ(ReadSettingFile(path, s, boxes), "");
        EXPECT_EQ(s.ComPort, "COM3");
        EXPECT_EQ(QStringList({s.ComSpeed, s.ComParity, s.ComDataLen, s.ComStopBit}).join(','),
                  "19200,E,8,1");
        EXPECT_EQ(s.Device, "/dev/pts/4");
        EXPECT_EQ(s.BaseColor, 0xE0E0E0);
        EXPECT_EQ(s.BmpDir, "足跡\\画像");
        EXPECT_EQ(s.BaseDir, "ベース");
        EXPECT_TRUE(s.MergeMode);
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST(ReadSettingFile, MissingPortNoLeavesTheBarePrefix) {
    test::IniTestFiles files;
    Settings s;
    test::RecordingMessageBoxes boxes;
    const QString path = files.writeUtf8("s.ini", SettingText("Speed=9600\n", "BaseColor=0\n"));
    EXPECT_EQ(ReadSettingFile(path, s, boxes), "");
    EXPECT_EQ(s.ComPort, "COM");
    EXPECT_EQ(s.Device, "");
}

TEST(ReadSettingFile, BaseColorIsDecimalOrAmpersandHex) {
    test::IniTestFiles files;
    for (const char* value : {"&HFF0000", "16711680", "&hff0000"}) {
        Settings s;
        test::RecordingMessageBoxes boxes;
        const QString path =
            files.writeUtf8("s.ini", SettingText(kCom, "BaseColor=" + QString(value)));
        EXPECT_EQ(ReadSettingFile(path, s, boxes), "") << value;
        EXPECT_EQ(s.BaseColor, 16711680) << value;
    }
}

TEST(ReadSettingFile, RefusesAMissingOrUnreadableBaseColorNamingKeyAndFile) {
    test::IniTestFiles files;
    for (const char* disp : {"BmpDir=Bmp\n", "BaseColor=\n", "BaseColor=grey\n", "BaseColor=&HGG\n",
                             "BaseColor=99999999999\n"}) {
        Settings s;
        test::RecordingMessageBoxes boxes;
        const QString path = files.writeUtf8("s.ini", SettingText(kCom, disp));
        const QString problem = ReadSettingFile(path, s, boxes);
        EXPECT_TRUE(problem.contains("BaseColor")) << disp;
        EXPECT_TRUE(problem.contains(path)) << disp;
    }
    Settings s;
    test::RecordingMessageBoxes boxes;
    const QString missing = files.missing("Setting.ini");
    EXPECT_TRUE(ReadSettingFile(missing, s, boxes).contains(missing));
}

TEST(ReadSettingFile, MergeModeIsTrueForAnyNonZeroNumber) {
    test::IniTestFiles files;
    const std::pair<const char*, bool> cases[] = {
        {"MergeMode=0\n", false},   {"", false},
        {"MergeMode=abc\n", false}, {"MergeMode=1\n", true},
        {"MergeMode=2\n", true},    {"mergemode = -1\n", true}};
    for (const auto& [line, expected] : cases) {
        Settings s;
        s.MergeMode = !expected;
        test::RecordingMessageBoxes boxes;
        const QString path =
            files.writeUtf8("s.ini", SettingText(kCom, "BaseColor=0\n" + QString(line)));
        EXPECT_EQ(ReadSettingFile(path, s, boxes), "");
        EXPECT_EQ(s.MergeMode, expected) << line;
    }
}

}  // namespace
}  // namespace korvi

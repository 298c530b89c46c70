// The profile-style INI reader and Setting.ini read through it.
#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "settings/IniFileModule.h"
#include "settings/Settings.h"
#include "tests/settings/IniTestFiles.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

TEST(IniFile, FindsKeysLikeTheProfileReader) {
    const IniFile ini = IniFile::Parse(
        "top=ignored\r\n; comment=line\r\n\r\n  [ Com_Setting ]  \r\n  PortNo =   3   \r\n"
        "Speed=19200\r\nSpeed=9600\r\nFormula = a=b \r\nEmpty=\r\n[Other]\nPortNo=7\n"
        "[COM_SETTING]\nParity=E\n");
    EXPECT_EQ(ini.GetString("com_setting", "portno"), "3");
    EXPECT_EQ(ini.GetString("Com_Setting", "SPEED"), "19200");  // first occurrence wins
    EXPECT_EQ(ini.GetString("Com_Setting", "Formula"), "a=b");
    EXPECT_EQ(ini.GetString("Com_Setting", "Parity"), "E");  // section written twice
    EXPECT_EQ(ini.GetString("Other", "PortNo"), "7");
    EXPECT_EQ(ini.find("Com_Setting", "Empty"), QString());
    EXPECT_FALSE(ini.find("Com_Setting", "top"));
    EXPECT_FALSE(ini.find("Missing", "PortNo"));
    EXPECT_FALSE(ini.find("Com_Setting", "Missing"));
}

TEST(IniFile, CutsValuesAt255BytesOfShiftJis) {
    const QString kana(200, QChar(0x3042));  // two bytes each in Shift-JIS
    const QString ascii(300, QLatin1Char('x'));
    test::IniTestFiles files;
    const QString text = "[S]\nAscii=" + ascii + "\nKana=" + kana + "\nMixed=a" + kana + "\n";
    for (const QString& path : {files.utf8("u.ini", text), files.sjis("s.ini", text)}) {
        const IniFile ini = IniFile::Load(path);
        EXPECT_EQ(ini.GetString("S", "Ascii"), ascii.left(255));
        // 127 double-byte characters fill 254 bytes; a 128th would not fit.
        EXPECT_EQ(ini.GetString("S", "Kana"), kana.left(127));
        EXPECT_EQ(ini.GetString("S", "Mixed"), "a" + kana.left(127));
    }
}

TEST(IniFile, IntegersReadTheLeadingNumberAndReportOverflow) {
    test::IniTestFiles files;
    const QString path =
        files.sjis("a.ini",
                   "[S]\nPlain=42\nTail=12abc\nNeg=-7\nWord=abc\nEmpty=\nMax=32767\nMin=-32768\n"
                   "Big=32768\nSmall=-32769\nHuge=99999999999999999999999\nDir=画像\n");
    const QString missing = files.dir.filePath("no.ini");
    test::RecordingMessageBoxes boxes;
    const std::pair<const char*, int> cases[] = {{"Plain", 42},  {"Tail", 12},   {"Neg", -7},
                                                 {"Word", 0},    {"Empty", 9},   {"Missing", 9},
                                                 {"Max", 32767}, {"Min", -32768}};
    for (const auto& [key, value] : cases) {
        EXPECT_EQ(INIGetSettingInteger("s", key, path, 9, boxes), value) << key;
    }
    EXPECT_EQ(INIGetSettingInteger("S", "Plain", missing, 3, boxes), 3);
    EXPECT_EQ(INIGetSettingString("s", "dir", path, boxes), "画像");
    EXPECT_EQ(INIGetSettingString("S", "Dir", missing, boxes), "");
    EXPECT_TRUE(boxes.shown.empty());
    for (const char* key : {"Big", "Small", "Huge"}) {
        boxes.shown.clear();
        EXPECT_EQ(INIGetSettingInteger("S", key, path, 5, boxes), 0) << key;
        ASSERT_EQ(boxes.shown.size(), 1u) << key;
        EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Error: 6. オーバーフローしました。"));
        EXPECT_EQ(boxes.shown[0].title, "INIGetSettingInteger");
    }
}

class ReadSettingFileTest : public ::testing::Test {
  protected:
    // Reads a Setting.ini with the given [Disp_Setting] lines; the problem text, or "".
    QString Read(const QString& disp, bool shiftJis = false) {
        const QString text =
            "[Com_Setting]\r\nPortNo=3\r\nSpeed=19200\r\nParity=E\r\nDataLen=8\r\n"
            "StopBit=1\r\nDevice=/dev/pts/4\r\n[Disp_Setting]\r\n" +
            disp;
        path = shiftJis ? files.sjis("s.ini", text) : files.utf8("s.ini", text);
        s = Settings{};
        return ReadSettingFile(path, s, boxes);
    }
    test::IniTestFiles files;
    test::RecordingMessageBoxes boxes;
    Settings s;
    QString path;
};

TEST_F(ReadSettingFileTest, FillsEverySettingFromShiftJisAndUtf8Files) {
    for (bool sjis : {true, false}) {
        ASSERT_EQ(Read("BaseColor=&HFF0000\r\nBmpDir=足跡\\画像\r\nBaseDir=ベース\r\n", sjis), "");
        EXPECT_EQ(QStringList({s.ComPort, s.ComSpeed, s.ComParity, s.ComDataLen, s.ComStopBit,
                               s.Device, s.BmpDir, s.BaseDir})
                      .join(','),
                  "COM3,19200,E,8,1,/dev/pts/4,足跡\\画像,ベース");
        EXPECT_EQ(s.BaseColor, 16711680);
    }
    EXPECT_EQ(Read("BaseColor=16711680\n"), "");
    EXPECT_EQ(s.BaseColor, 16711680);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ReadSettingFileTest, RefusesAMissingOrUnreadableBaseColorNamingKeyAndFile) {
    for (const char* disp : {"BmpDir=Bmp\n", "BaseColor=\n", "BaseColor=grey\n", "BaseColor=&HGG\n",
                             "BaseColor=99999999999\n"}) {
        const QString problem = Read(disp);
        EXPECT_TRUE(problem.contains("BaseColor") && problem.contains(path)) << disp;
    }
    const QString missing = files.dir.filePath("Setting.ini");
    EXPECT_TRUE(ReadSettingFile(missing, s, boxes).contains(missing));
}

TEST_F(ReadSettingFileTest, MergeModeIsTrueForAnyNonZeroNumber) {
    const std::pair<const char*, bool> cases[] = {{"MergeMode=0", false},
                                                  {"", false},
                                                  {"MergeMode=abc", false},
                                                  {"MergeMode=1", true},
                                                  {"mergemode = -1", true}};
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(Read("BaseColor=0\n" + QString(line)), "");
        EXPECT_EQ(s.MergeMode, expected) << line;
    }
}

}  // namespace
}  // namespace korvi

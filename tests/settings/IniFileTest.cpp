#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "settings/IniFileModule.h"
#include "settings/NumberText.h"
#include "tests/settings/IniTestFiles.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

const QString kOverflowText = QStringLiteral("Error: 6. オーバーフローしました。");

TEST(IniFile, FindsKeysLikeTheProfileReader) {
    const IniFile ini = IniFile::Parse(
        "top=ignored\r\n"
        "; comment=line\r\n"
        "\r\n"
        "  [ Com_Setting ]  \r\n"
        "  PortNo =   3   \r\n"
        "Speed=19200\r\n"
        "Speed=9600\r\n"
        "Formula = a=b \r\n"
        "Quoted = \"C:\\My Sounds\\a.wav\" \r\n"
        "Empty=\r\n"
        "[Other]\n"
        "PortNo=7\n"
        "[COM_SETTING]\n"
        "Parity=E\n"
        "PortNo=9\n");
    EXPECT_EQ(ini.GetString("com_setting", "portno"), "3");
    EXPECT_EQ(ini.GetString("Com_Setting", "SPEED"), "19200");  // first occurrence wins
    EXPECT_EQ(ini.GetString("Com_Setting", "Formula"), "a=b");
    EXPECT_EQ(ini.GetString("Com_Setting", "Quoted"), "C:\\My Sounds\\a.wav");
    EXPECT_EQ(ini.GetString("Com_Setting", "Parity"), "E");  // section written twice
    EXPECT_EQ(ini.GetString("Other", "PortNo"), "7");
    EXPECT_EQ(ini.find("Com_Setting", "Empty"), QString());
    EXPECT_FALSE(ini.find("Com_Setting", "top"));
    EXPECT_FALSE(ini.find("Com_Setting", "; comment"));
    EXPECT_FALSE(ini.find("Missing", "PortNo"));
    EXPECT_FALSE(ini.find("Com_Setting", "Missing"));
}

TEST(IniFile, CutsValuesAt255BytesOfShiftJis) {
    const QString kana(200, QChar(0x3042));  // あ: two bytes each in Shift-JIS
    const QString ascii(300, QLatin1Char('x'));
    test::IniTestFiles files;
    const QString text = "[S]\nAscii=" + ascii + "\nKana=" + kana + "\nMixed=a" + kana + "\n";
    for (const QString& path :
         {files.writeUtf8("utf8.ini", text), files.writeShiftJis("sjis.ini", text)}) {
        const IniFile ini = IniFile::Load(path);
        EXPECT_EQ(ini.GetString("S", "Ascii"), ascii.left(255)) << path.toStdString();
        // 127 double-byte characters fill 254 bytes; a 128th would not fit.
        EXPECT_EQ(ini.GetString("S", "Kana"), kana.left(127)) << path.toStdString();
        EXPECT_EQ(ini.GetString("S", "Mixed"), "a" + kana.left(127)) << path.toStdString();
    }
}

TEST(IniFile, ReadsTheLeadingNumberOfIntegerKeys) {
    test::RecordingMessageBoxes boxes;
    const IniFile ini = IniFile::Parse(
        "[S]\nPlain=42\nTail=12abc\nNeg=-7\nPlus=+5\nWord=abc\nEmpty=\n"
        "Max=32767\nMin=-32768\n");
    EXPECT_EQ(ini.GetInteger("S", "Plain", 9, boxes), 42);
    EXPECT_EQ(ini.GetInteger("S", "Tail", 9, boxes), 12);
    EXPECT_EQ(ini.GetInteger("S", "Neg", 9, boxes), -7);
    EXPECT_EQ(ini.GetInteger("S", "Plus", 9, boxes), 5);
    EXPECT_EQ(ini.GetInteger("S", "Word", 9, boxes), 0);
    EXPECT_EQ(ini.GetInteger("S", "Empty", 9, boxes), 9);
    EXPECT_EQ(ini.GetInteger("S", "Missing", 9, boxes), 9);
    EXPECT_EQ(ini.GetInteger("S", "Max", 9, boxes), 32767);
    EXPECT_EQ(ini.GetInteger("S", "Min", 9, boxes), -32768);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(IniFile, ReportsIntegerOverflowAndGivesZero) {
    const IniFile ini =
        IniFile::Parse("[S]\nBig=32768\nSmall=-32769\nHuge=99999999999999999999999\n");
    for (const char* key : {"Big", "Small", "Huge"}) {
        test::RecordingMessageBoxes boxes;
        EXPECT_EQ(ini.GetInteger("S", key, 5, boxes), 0) << key;
        ASSERT_EQ(boxes.shown.size(), 1u) << key;
        EXPECT_EQ(boxes.shown[0].text, kOverflowText);
        EXPECT_EQ(boxes.shown[0].title, "INIGetSettingInteger");
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::None);
    }
}

TEST(IniFileModule, ReadsFilesAndGivesDefaultsForMissingOnes) {
    test::IniTestFiles files;
    test::RecordingMessageBoxes boxes;
    const QString path = files.writeShiftJis("a.ini", "[Disp_Setting]\nBmpDir=画像\nN=40000\n");
    EXPECT_EQ(INIGetSettingString("disp_setting", "bmpdir", path, boxes), "画像");
    EXPECT_EQ(INIGetSettingString("Disp_Setting", "BmpDir", files.missing("no.ini"), boxes), "");
    EXPECT_EQ(INIGetSettingInteger("Disp_Setting", "N", files.missing("no.ini"), 3, boxes), 3);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(INIGetSettingInteger("Disp_Setting", "N", path, 3, boxes), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "INIGetSettingInteger");
}

// The conversions the two settings files share, at their limits; ordinary values are covered by
// the file readers' tests.
TEST(NumberText, ConvertsAmpersandHexAsTheWidthOfItsTarget) {
    EXPECT_EQ(TextToLong(u"&H8000000F"), static_cast<int32_t>(0x8000000F));  // system colour
    EXPECT_EQ(TextToLong(u"-2147483648"), INT32_MIN);
    for (const char16_t* bad : {u"&H", u"&H123456789", u"12x", u"2147483648", u"-"}) {
        EXPECT_FALSE(TextToLong(bad)) << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_EQ(TextToInteger(u"&H7FFF"), 32767);
    EXPECT_FALSE(TextToInteger(u"&H8000"));
    EXPECT_EQ(HexToInteger(u"00FF"), 255);
    EXPECT_FALSE(HexToInteger(u"&H1F"));
}

}  // namespace
}  // namespace korvi

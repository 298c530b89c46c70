#include <gtest/gtest.h>

#include "settings/DrawSetting.h"
#include "tests/settings/IniTestFiles.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

DrawSetting Load(const QString& path, DrawSetting setting = {}) {
    test::RecordingMessageBoxes boxes;
    LoadDrawSetting(path, setting, boxes);
    EXPECT_TRUE(boxes.shown.empty());
    return setting;
}

QString PressColors(int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("PressColor%1=%2,%3,&H%4,%5\n")
                    .arg(i)
                    .arg(i * 16, 0, 16)
                    .arg(i * 16 + 15, 0, 16)
                    .arg(i + 1, 6, 16, QLatin1Char('0'))
                    .arg(i + 2);
    }
    return text;
}

TEST(GetCsvField, CountsFieldsFromOneWithoutTrimming) {
    EXPECT_EQ(GetCsvField("a,b,c", 1), "a");
    EXPECT_EQ(GetCsvField("a,b,c", 2), "b");
    EXPECT_EQ(GetCsvField("a,b,c", 3), "c");
    EXPECT_EQ(GetCsvField("a,b,c", 4), "");
    EXPECT_EQ(GetCsvField("a,b,c", 0), "");
    EXPECT_EQ(GetCsvField("a,,c", 2), "");
    EXPECT_EQ(GetCsvField("a, b ,c", 2), " b ");
    EXPECT_EQ(GetCsvField("a,b,", 3), "");
    EXPECT_EQ(GetCsvField("", 1), "");
}

TEST(LoadDrawSetting, ReadsEveryKeyOfAFile) {
    test::IniTestFiles files;
    const QString path = files.writeShiftJis("DrawSetting1.ini",
                                             "[Disp_Setting]\n"
                                             "PressColor0=0,F,&H00FF00,3\n"
                                             "PressColor1=10,1F,255,5\n"
                                             "PressThresh=&H10\n"
                                             "TraceSize=50\n"
                                             "SoundFile1=Sound\\音.wav\n"
                                             "PlayCondition1=0,1-4,0-FFF,0-FFF,20-FF,2,3\n"
                                             "SoundFile2=Sound\\b.wav\n"
                                             "PlayCondition2=5-6,3,10,0-7FF,1-FF,1,1\n"
                                             "[ExcelOut]\n"
                                             "Sampling=4\n"
                                             "AllTime=10\n");
    const DrawSetting s = Load(path);
    ASSERT_EQ(s.PressColorTable.size(), 2u);
    EXPECT_EQ(s.PressColorTable[0].PressLow, 0);
    EXPECT_EQ(s.PressColorTable[0].PressHigh, 15);
    EXPECT_EQ(s.PressColorTable[0].Color, 0x00FF00);
    EXPECT_EQ(s.PressColorTable[0].Radius, 3);
    EXPECT_EQ(s.PressColorTable[1].PressLow, 16);
    EXPECT_EQ(s.PressColorTable[1].PressHigh, 31);
    EXPECT_EQ(s.PressColorTable[1].Color, 255);
    EXPECT_EQ(s.PressThresh, 16);
    EXPECT_EQ(s.TraceSize, 50);
    EXPECT_EQ(s.Sampling, 4);
    EXPECT_EQ(s.CsvIntervalMs, 250);
    EXPECT_EQ(s.AllTime, 10);

    EXPECT_TRUE(s.HasSoundFiles);
    ASSERT_EQ(s.SoundTable.size(), 3u);
    EXPECT_EQ(s.SoundTable[0].FileName, "");
    const SoundEntry& a = s.SoundTable[1];
    EXPECT_EQ(a.FileName, "Sound\\音.wav");
    EXPECT_EQ(std::vector<int>({a.PrevLow, a.PrevHigh, a.SensorLow, a.SensorHigh, a.XLow, a.XHigh,
                                a.YLow, a.YHigh, a.PressLow, a.PressHigh, a.Period, a.MinCount}),
              std::vector<int>({0, 0, 1, 4, 0, 0xFFF, 0, 0xFFF, 0x20, 0xFF, 2, 3}));
    const SoundEntry& b = s.SoundTable[2];
    EXPECT_EQ(std::vector<int>({b.PrevLow, b.PrevHigh, b.SensorLow, b.SensorHigh, b.XLow, b.XHigh,
                                b.YLow, b.YHigh}),
              std::vector<int>({5, 6, 3, 3, 0x10, 0x10, 0, 0x7FF}));
}

TEST(LoadDrawSetting, NumberedListsEndAtTheFirstGap) {
    test::IniTestFiles files;
    const DrawSetting s = Load(files.writeUtf8("d.ini",
                                               "[Disp_Setting]\n"
                                               "PressColor0=0,F,1,1\nPressColor1=10,1F,2,2\n"
                                               "PressColor3=20,2F,3,3\n"
                                               "SoundFile2=b.wav\nPlayCondition2=0,1,0,0,0,1,1\n"));
    EXPECT_EQ(s.PressColorTable.size(), 2u);
    EXPECT_FALSE(s.HasSoundFiles);
    EXPECT_TRUE(s.SoundTable.empty());
}

TEST(LoadDrawSetting, TablesFollowTheLatestFileOnlyWhereItHasEntries) {
    test::IniTestFiles files;
    const QString five =
        files.writeUtf8("five.ini", "[Disp_Setting]\n" + PressColors(5) +
                                        "SoundFile1=a.wav\nPlayCondition1=1-2,3,4,5,6,7,8\n"
                                        "SoundFile2=b.wav\nPlayCondition2=0,1,0,0,0,1,1\n");
    const QString two = files.writeUtf8("two.ini", "[Disp_Setting]\n" + PressColors(2) +
                                                       "SoundFile1=c.wav\n"
                                                       "SoundFile2=d.wav\n");
    const QString none = files.writeUtf8("none.ini", "[Disp_Setting]\nPressThresh=1\n");

    DrawSetting s = Load(five);
    ASSERT_EQ(s.PressColorTable.size(), 5u);
    s.SoundTable[1].HitCount = 4;
    s.SoundTable[1].Ticks = 9;

    s = Load(two, s);
    ASSERT_EQ(s.PressColorTable.size(), 2u);
    EXPECT_EQ(s.PressColorTable[1].Radius, 3);
    // No PlayCondition: the entry keeps the conditions it had, but its counters start again.
    const SoundEntry& kept = s.SoundTable[1];
    EXPECT_EQ(kept.FileName, "c.wav");
    EXPECT_EQ(kept.PrevHigh, 2);
    EXPECT_EQ(kept.MinCount, 8);
    EXPECT_EQ(kept.HitCount, 0);
    EXPECT_EQ(kept.Ticks, 0);

    s = Load(none, s);
    EXPECT_EQ(s.PressColorTable.size(), 2u);
    EXPECT_EQ(s.SoundTable.size(), 3u);
    EXPECT_FALSE(s.HasSoundFiles);
    EXPECT_EQ(s.PressThresh, 1);
}

TEST(LoadDrawSetting, SamplingSetsTheCsvIntervalRoundedHalfToEven) {
    test::IniTestFiles files;
    const std::pair<int, int> cases[] = {{4, 250}, {3, 333}, {1500, 1}, {1, 1000}, {0, 77}};
    for (const auto& [sampling, interval] : cases) {
        DrawSetting before;
        before.CsvIntervalMs = 77;
        const QString path =
            files.writeUtf8("d.ini", QStringLiteral("[ExcelOut]\nSampling=%1\n").arg(sampling));
        EXPECT_EQ(Load(path, before).CsvIntervalMs, interval) << sampling;
    }
}

class CheckDrawSettingTest : public ::testing::Test {
  protected:
    static constexpr const char* kGood =
        "[Disp_Setting]\n"
        "PressColor0=0,F,&H00FF00,3\n"
        "PressColor1=10,FF,255,5\n"
        "PressThresh=10\n"
        "TraceSize=50\n"
        "SoundFile1=a.wav\n"
        "PlayCondition1=0,1-4,0-FFF,0-FFF,20-FF,2,3\n"
        "SoundFile2=b.wav\n"
        "[ExcelOut]\n"
        "Sampling=1999\n"
        "AllTime=0\n";

    // The check's verdict on the good file with one line replaced.
    QString CheckWith(const QString& from, const QString& to) {
        QString text = QString::fromUtf8(kGood);
        text.replace(from, to);
        path = files.writeUtf8("DrawSetting9.ini", text);
        return CheckDrawSetting(path, boxes);
    }

    test::IniTestFiles files;
    test::RecordingMessageBoxes boxes;
    QString path;
};

TEST_F(CheckDrawSettingTest, AcceptsAUsableFile) {
    EXPECT_EQ(CheckWith("", ""), "");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CheckDrawSettingTest, RefusesUnusableValuesNamingFileAndKey) {
    const struct {
        const char* from;
        const char* to;
        const char* key;
    } cases[] = {
        {"PressColor0=0,F,&H00FF00,3", "", "PressColor0"},
        {"PressThresh=10", "", "PressThresh"},
        {"PressThresh=10", "PressThresh=ten", "PressThresh"},
        {"PressThresh=10", "PressThresh=40000", "PressThresh"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,255", "PressColor1"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,GG,255,5", "PressColor1"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,red,5", "PressColor1"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,255,-5", "PressColor1"},
        {"PlayCondition1=0,1-4", "PlayCondition1=0,-4", "PlayCondition1"},
        {"PlayCondition1=0,1-4", "PlayCondition1=0,1-x", "PlayCondition1"},
        {",2,3\n", ",2\n", "PlayCondition1"},
        {"Sampling=1999", "Sampling=2000", "Sampling"},
        {"Sampling=1999", "Sampling=-1", "Sampling"},
        {"AllTime=0", "AllTime=-1", "AllTime"},
        {"TraceSize=50", "TraceSize=-5", "TraceSize"},
    };
    for (const auto& c : cases) {
        const QString problem = CheckWith(c.from, c.to);
        EXPECT_TRUE(problem.contains(path) && problem.contains(c.key))
            << c.to << " -> " << problem.toStdString();
    }
    EXPECT_EQ(CheckWith("PressThresh=10", "PressThresh=ten"),
              "描画用設定ファイル " + path + " の PressThresh が数値ではありません。");
    EXPECT_TRUE(boxes.shown.empty());

    const QString missing = files.missing("DrawSetting8.ini");
    EXPECT_TRUE(CheckDrawSetting(missing, boxes).contains(missing));
}

TEST_F(CheckDrawSettingTest, OnlyListedEntriesAreChecked) {
    // PressColor3 lies beyond the gap and PlayCondition3 has no sound: neither is ever read.
    EXPECT_EQ(CheckWith("PressThresh=10", "PressThresh=10\nPressColor3=x\nPlayCondition3=y"), "");
}

}  // namespace
}  // namespace korvi

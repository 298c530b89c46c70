// Draw-setting files: CSV fields, loading over the previous tables, the check that refuses
// unusable files, and the bundled demo folder read by both settings readers.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "platform/AppFolder.h"
#include "settings/DrawSetting.h"
#include "settings/Settings.h"
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
        text += QStringLiteral("PressColor%1=%2,FF,255,%3\n").arg(i).arg(i * 16, 0, 16).arg(i + 2);
    }
    return text;
}

// Every field of an entry, in the order the file lists them.
std::vector<int> Fields(const PressColorEntry& c) {
    return {c.PressLow, c.PressHigh, c.Color, c.Radius};
}
std::vector<int> Fields(const SoundEntry& a) {
    return {a.PrevLow, a.PrevHigh, a.SensorLow, a.SensorHigh, a.XLow,   a.XHigh,
            a.YLow,    a.YHigh,    a.PressLow,  a.PressHigh,  a.Period, a.MinCount};
}

TEST(GetCsvField, CountsFieldsFromOneWithoutTrimming) {
    const std::pair<const char*, int> cases[] = {{"a,b,c", 1}, {"a,b,c", 3}, {"a,b,c", 4},
                                                 {"a,b,c", 0}, {"a,,c", 2},  {"a, b ,c", 2}};
    const char* expected[] = {"a", "c", "", "", "", " b "};
    for (size_t n = 0; n < std::size(cases); ++n) {
        EXPECT_EQ(GetCsvField(cases[n].first, cases[n].second), expected[n]) << n;
    }
}

TEST(LoadDrawSetting, ReadsEveryKeyAndEndsListsAtTheFirstGap) {
    test::IniTestFiles files;
    const DrawSetting s = Load(files.sjis("DrawSetting1.ini",
                                          "[Disp_Setting]\n"
                                          "PressColor0=0,F,&H00FF00,3\nPressColor1=10,1F,255,10\n"
                                          "PressColor3=20,2F,3,3\nPressThresh=&H10\nTraceSize=50\n"
                                          "SoundFile1=Sound\\音.wav\n"
                                          "PlayCondition1=10-12,10-16,A0-FFF,10,20-7FFF,10,12\n"
                                          "SoundFile3=b.wav\n"
                                          "[ExcelOut]\nSampling=4\nAllTime=10\n"));
    ASSERT_EQ(s.PressColorTable.size(), 2u);
    // Pressures are hexadecimal, the colour decimal or "&H", the radius decimal.
    EXPECT_EQ(Fields(s.PressColorTable[0]), std::vector<int>({0, 15, 0x00FF00, 3}));
    EXPECT_EQ(Fields(s.PressColorTable[1]), std::vector<int>({16, 31, 255, 10}));
    EXPECT_EQ(std::vector<int>({s.PressThresh, s.TraceSize, s.Sampling, s.AllTime}),
              std::vector<int>({16, 50, 4, 10}));
    EXPECT_TRUE(s.HasSoundFiles);
    ASSERT_EQ(s.SoundTable.size(), 2u);
    EXPECT_EQ(s.SoundTable[1].FileName, "Sound\\音.wav");
    // Previous sound, sensors, period and count are decimal; X, Y and pressure hexadecimal; a
    // single value sets both bounds.
    EXPECT_EQ(Fields(s.SoundTable[1]),
              std::vector<int>({10, 12, 10, 16, 0xA0, 0xFFF, 0x10, 0x10, 0x20, 0x7FFF, 10, 12}));
}

TEST(LoadDrawSetting, TablesFollowTheLatestFileOnlyWhereItHasEntries) {
    test::IniTestFiles files;
    DrawSetting s = Load(files.utf8("five.ini", "[Disp_Setting]\n" + PressColors(5) +
                                                    "SoundFile1=a.wav\n"
                                                    "PlayCondition1=1-2,3,4,5,6,7,8\n"));
    ASSERT_EQ(s.PressColorTable.size(), 5u);
    s.SoundTable[1].HitCount = 4;
    s = Load(files.utf8("two.ini", "[Disp_Setting]\n" + PressColors(2) + "SoundFile1=c.wav\n"), s);
    ASSERT_EQ(s.PressColorTable.size(), 2u);
    EXPECT_EQ(s.PressColorTable[1].Radius, 3);
    // No PlayCondition: the entry keeps its conditions, but its counters start again.
    EXPECT_EQ(s.SoundTable[1].FileName, "c.wav");
    EXPECT_EQ(s.SoundTable[1].MinCount, 8);
    EXPECT_EQ(s.SoundTable[1].HitCount, 0);

    s = Load(files.utf8("none.ini", "[Disp_Setting]\nPressThresh=1\n"), s);
    EXPECT_EQ(s.PressColorTable.size(), 2u);
    EXPECT_FALSE(s.HasSoundFiles);
}

TEST(LoadDrawSetting, SamplingSetsTheCsvIntervalRoundedHalfToEven) {
    test::IniTestFiles files;
    // 1000/400 = 2.5 goes to the even 2; Sampling 0 keeps the interval there was.
    const std::pair<int, int> cases[] = {{4, 250}, {3, 333},  {1500, 1},
                                         {400, 2}, {1, 1000}, {0, 77}};
    for (const auto& [sampling, interval] : cases) {
        DrawSetting before;
        before.CsvIntervalMs = 77;
        const QString path =
            files.utf8("d.ini", QStringLiteral("[ExcelOut]\nSampling=%1\n").arg(sampling));
        EXPECT_EQ(Load(path, before).CsvIntervalMs, interval) << sampling;
    }
}

TEST(CheckDrawSetting, RefusesUnusableValuesNamingFileAndKey) {
    const QString good =
        "[Disp_Setting]\nPressColor0=0,F,&H00FF00,3\nPressColor1=10,FF,255,5\nPressThresh=10\n"
        "TraceSize=50\nSoundFile1=a.wav\nPlayCondition1=0,1-4,0-FFF,0-FFF,20-FF,2,3\n"
        "SoundFile2=b.wav\nPressColor3=x\nPlayCondition3=y\n[ExcelOut]\nSampling=1999\n"
        "AllTime=0\n";
    test::IniTestFiles files;
    test::RecordingMessageBoxes boxes;
    const QString path = files.utf8("DrawSetting9.ini", good);
    // Entries beyond the gap (PressColor3) and conditions without a sound are never read.
    EXPECT_EQ(CheckDrawSetting(path, boxes), "");

    const std::pair<const char*, const char*> cases[] = {
        {"PressColor0=0,F,&H00FF00,3", ""},
        {"PressThresh=10", ""},
        {"PressThresh=10", "PressThresh=ten"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,255"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,red,5"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,8000,255,5"},  // beyond 16 bits
        {"PlayCondition1=0,1-4", "PlayCondition1=0,1-x"},
        {"PlayCondition1=0,1-4", "PlayCondition1=0,1--4"},  // no negative bound
        {",2,3\n", ",2\n"},
        {"Sampling=1999", "Sampling=2000"},
        {"Sampling=1999", "Sampling=-1"},
        {"AllTime=0", "AllTime=-1"},
    };
    for (const auto& [from, to] : cases) {
        const QString key = QString(from).startsWith(',') ? QStringLiteral("PlayCondition1")
                                                          : QString(from).section('=', 0, 0);
        files.utf8("DrawSetting9.ini", QString(good).replace(from, to));
        const QString problem = CheckDrawSetting(path, boxes);
        EXPECT_TRUE(problem.contains(path) && problem.contains(key))
            << to << " -> " << problem.toStdString();
    }
    files.utf8("DrawSetting9.ini", QString(good).replace("10,FF,", "10,7FFF,"));
    EXPECT_EQ(CheckDrawSetting(path, boxes), "");  // the largest 16-bit value
    files.utf8("DrawSetting9.ini", QString(good).replace("=10\n", "=ten\n"));
    EXPECT_EQ(CheckDrawSetting(path, boxes),
              "描画用設定ファイル " + path + " の PressThresh が数値ではありません。");
    EXPECT_TRUE(boxes.shown.empty());
}

// A blank typed around a field (an ASCII space or tab, a full-width space from a Japanese input
// method, a no-break space) is not part of it: the check passes the file and the loader reads the
// value the user meant.
TEST(DrawSettingFields, CheckAndLoaderReadPaddedFieldsAlike) {
    struct Case {
        const char* name;
        QString blank;
        bool shiftJis;
    };
    const Case cases[] = {{"space", QStringLiteral(" "), false},
                          {"tab", QStringLiteral("\t"), true},
                          {"full-width space", QStringLiteral("\u3000"), true},
                          {"two full-width spaces", QStringLiteral("\u3000\u3000"), false},
                          {"no-break space", QStringLiteral("\u00A0"), false}};
    for (const Case& c : cases) {
        const QString b = c.blank;
        const QString text = "[Disp_Setting]\nPressColor0=0," + b + "FF,255," + b + "5\n" +
                             "PressColor1=" + b + "1F" + b + ",2F," + b + "&H00FF00" + b + ",7" +
                             b + "\nPressThresh=1\nSoundFile1=a.wav\nPlayCondition1=" + b + "1-2," +
                             b + "3" + b + "," + b + "0-FFF,10" + b + "," + b + "20-FF," + b +
                             "4," + b + "6\n";
        test::IniTestFiles files;
        const QString path = c.shiftJis ? files.sjis("DrawSetting1.ini", text)
                                        : files.utf8("DrawSetting1.ini", text);
        test::RecordingMessageBoxes boxes;
        EXPECT_EQ(CheckDrawSetting(path, boxes), "") << c.name;
        const DrawSetting s = Load(path);
        ASSERT_EQ(s.PressColorTable.size(), 2u) << c.name;
        EXPECT_EQ(Fields(s.PressColorTable[0]), std::vector<int>({0, 255, 255, 5})) << c.name;
        EXPECT_EQ(Fields(s.PressColorTable[1]), std::vector<int>({31, 47, 0x00FF00, 7})) << c.name;
        ASSERT_EQ(s.SoundTable.size(), 2u) << c.name;
        EXPECT_EQ(Fields(s.SoundTable[1]),
                  std::vector<int>({1, 2, 3, 3, 0, 0xFFF, 0x10, 0x10, 0x20, 0xFF, 4, 6}))
            << c.name;
    }
}

// A mark's radius is bounded by what a panel can show, and fields written in decimal take no
// hexadecimal: each refusal names the file, the key and the field.
TEST(DrawSettingFields, RadiusBoundAndDecimalFieldsAtTheirEdges) {
    const QString base =
        "[Disp_Setting]\nPressColor0=0,FF,255,%1\nPressThresh=&H10\nTraceSize=%2\n"
        "SoundFile1=a.wav\nPlayCondition1=%3,1-4,0-FFF,0-FFF,20-FF,%4,3\n";
    test::IniTestFiles files;
    const QString path = files.dir.filePath("DrawSetting1.ini");
    const QString prefix = "描画用設定ファイル " + path + " の ";
    struct Case {
        const char* radius;
        const char* traceSize;
        const char* prev;
        const char* period;
        QString problem;  // empty: accepted
    };
    const Case cases[] = {
        {"0", "0", "0", "2", ""},
        {"1024", "50", "1-3", "2", ""},
        {"1025", "50", "0", "2",
         prefix + "PressColor0 の 4 番目の項目 は 0 から 1024 の範囲で指定してください。"},
        {"32767", "50", "0", "2",
         prefix + "PressColor0 の 4 番目の項目 は 0 から 1024 の範囲で指定してください。"},
        {"&H60FF", "50", "0", "2",
         prefix + "PressColor0 の 4 番目の項目 は 10 進数で指定してください。"},
        {"&h1", "50", "0", "2",
         prefix + "PressColor0 の 4 番目の項目 は 10 進数で指定してください。"},
        {"3", "50", "0", "&H2",
         prefix + "PlayCondition1 の 6 番目の項目 は 10 進数で指定してください。"},
        {"3", "50", "&H1-3", "2",
         prefix + "PlayCondition1 の 1 番目の項目 は 10 進数で指定してください。"},
        {"3", "&H10", "0", "2", prefix + "TraceSize は 10 進数で指定してください。"},
    };
    for (const Case& c : cases) {
        files.utf8("DrawSetting1.ini", base.arg(c.radius, c.traceSize, c.prev, c.period));
        test::RecordingMessageBoxes boxes;
        EXPECT_EQ(CheckDrawSetting(path, boxes), c.problem) << c.radius << " " << c.period;
        EXPECT_TRUE(boxes.shown.empty());
    }
    files.utf8("DrawSetting1.ini", base.arg("1024", "0", "0", "2"));
    EXPECT_EQ(Load(path).PressColorTable[0].Radius, 1024);
}

// The bundled demo folder must pass the checks a user's folder meets at start-up and at the start
// of communication, and name pictures and sounds that exist.
TEST(DemoFolder, PassesBothReadersAndNamesExistingFiles) {
    const QString demo = QStringLiteral(KORVI_DEMO_DIR);
    Settings s;
    test::RecordingMessageBoxes boxes;
    ASSERT_EQ(ReadSettingFile(QDir(demo).filePath("Setting.ini"), s, boxes), "");
    for (int i = 0; i < 16; ++i) {
        const QImage foot(
            InApplicationFolder(demo, s.BmpDir + QStringLiteral("\\Foot_%1.bmp").arg(i)));
        EXPECT_EQ(foot.size(), QSize(32, 32)) << i;
    }
    EXPECT_FALSE(QImage(InApplicationFolder(demo, s.BaseDir + "\\Base_0.bmp")).isNull());
    for (const char* name : {"DrawSetting1.ini", "DrawSetting2.ini"}) {
        const QString path = QDir(demo).filePath(name);
        EXPECT_EQ(CheckDrawSetting(path, boxes), "") << name;
        const DrawSetting setting = Load(path);
        EXPECT_EQ(setting.PressColorTable.size(), 6u) << name;
        for (size_t n = 1; n < setting.SoundTable.size(); ++n) {
            EXPECT_TRUE(QFile::exists(InApplicationFolder(demo, setting.SoundTable[n].FileName)));
        }
    }
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace korvi

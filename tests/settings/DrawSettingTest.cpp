// Draw-setting files: CSV fields, loading over the previous tables, the check that refuses
// unusable files, and the bundled demo folder read by both settings readers.
#include <gtest/gtest.h>

#include <QDir>

#include "platform/AppFolder.h"
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

// A good file with one line changed at a time: an unusable value is refused with a text naming
// the file and the key, and for the rules of a mark's radius (what a panel can show) and of fields
// written in decimal (no hexadecimal taken), the field too.
TEST(CheckDrawSetting, RefusesUnusableValuesNamingFileKeyAndField) {
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

    const QString in = "描画用設定ファイル " + path + " の ";
    const QString decimal = QStringLiteral(" 番目の項目 は 10 進数で指定してください。");
    const struct {
        const char* from;
        const char* to;
        QString problem;  // "": accepted; a bare key: refused, naming the file and that key
    } cases[] = {
        {"PressColor0=0,F,&H00FF00,3", "", "PressColor0"},
        {"PressThresh=10", "", "PressThresh"},
        {"PressThresh=10", "PressThresh=&H10", ""},
        {"PressThresh=10", "PressThresh=ten", in + "PressThresh が数値ではありません。"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,255", "PressColor1"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,FF,red,5", "PressColor1"},
        {"PressColor1=10,FF,255,5", "PressColor1=10,8000,255,5", "PressColor1"},  // over 16 bits
        {"PressColor1=10,FF,255,5", "PressColor1=10,7FFF,255,5", ""},  // the largest 16-bit value
        {",3\nPressColor1", ",0\nPressColor1", ""},
        {",3\nPressColor1", ",1024\nPressColor1", ""},
        {",3\nPressColor1", ",1025\nPressColor1",
         in + "PressColor0 の 4 番目の項目 は 0 から 1024 の範囲で指定してください。"},
        {",3\nPressColor1", ",&H60FF\nPressColor1", in + "PressColor0 の 4" + decimal},
        {",3\nPressColor1", ",&h1\nPressColor1", in + "PressColor0 の 4" + decimal},
        {"PlayCondition1=0,1-4", "PlayCondition1=1-3,1-4", ""},
        {"PlayCondition1=0,1-4", "PlayCondition1=&H1-3,1-4", in + "PlayCondition1 の 1" + decimal},
        {"PlayCondition1=0,1-4", "PlayCondition1=0,1-x", "PlayCondition1"},
        {"PlayCondition1=0,1-4", "PlayCondition1=0,1--4", "PlayCondition1"},  // no negative bound
        {",2,3\n", ",2\n", "PlayCondition1"},
        {",2,3\n", ",&H2,3\n", in + "PlayCondition1 の 6" + decimal},
        {"TraceSize=50", "TraceSize=0", ""},
        {"TraceSize=50", "TraceSize=&H10", in + "TraceSize は 10 進数で指定してください。"},
        {"Sampling=1999", "Sampling=2000", "Sampling"},
        {"Sampling=1999", "Sampling=-1", "Sampling"},
        {"AllTime=0", "AllTime=-1", "AllTime"},
    };
    for (const auto& c : cases) {
        files.utf8("DrawSetting9.ini", QString(good).replace(c.from, c.to));
        const QString problem = CheckDrawSetting(path, boxes);
        if (c.problem.isEmpty() || c.problem.startsWith(in)) {
            EXPECT_EQ(problem, c.problem) << c.to;
        } else {
            EXPECT_TRUE(problem.contains(path) && problem.contains(c.problem))
                << c.to << " -> " << problem.toStdString();
        }
    }
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

// The bundled demo's draw settings, both of which a user may pick, must pass the check made at the
// start of communication and name sounds that exist. (Its pictures are met by every start on it.)
TEST(DemoFolder, DrawSettingsPassTheCheckAndNameExistingSounds) {
    const QString demo = QStringLiteral(KORVI_DEMO_DIR);
    test::RecordingMessageBoxes boxes;
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

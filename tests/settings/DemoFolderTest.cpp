// The demo folder the README's walkthrough runs on must pass the same checks a user's folder
// meets at start-up and at the start of communication.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "platform/AppFolder.h"
#include "settings/DrawSetting.h"
#include "settings/Settings.h"
#include "tests/support/Fakes.h"

namespace korvi {
namespace {

const QString kDemo = QStringLiteral(KORVI_DEMO_DIR);

TEST(DemoFolder, SettingsAreAcceptedAndNameExistingFolders) {
    Settings s;
    test::RecordingMessageBoxes boxes;
    ASSERT_EQ(ReadSettingFile(QDir(kDemo).filePath("Setting.ini"), s, boxes), "");
    EXPECT_EQ(s.BaseColor, 0xE0E0E0);
    EXPECT_TRUE(s.MergeMode);
    for (int i = 0; i < 16; ++i) {
        const QImage foot(
            InApplicationFolder(kDemo, s.BmpDir + QStringLiteral("\\Foot_%1.bmp").arg(i)));
        EXPECT_EQ(foot.size(), QSize(32, 32)) << i;
        // White is the transparent colour: the corners must stay clear of the print.
        EXPECT_EQ(foot.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu) << i;
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(
            QImage(InApplicationFolder(kDemo, s.BaseDir + QStringLiteral("\\Base_%1.bmp").arg(i)))
                .isNull())
            << i;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(DemoFolder, DrawSettingsPassTheCheckAndNameExistingSounds) {
    for (const char* name : {"DrawSetting1.ini", "DrawSetting2.ini"}) {
        const QString path = QDir(kDemo).filePath(name);
        test::RecordingMessageBoxes boxes;
        EXPECT_EQ(CheckDrawSetting(path, boxes), "") << name;
        DrawSetting setting;
        LoadDrawSetting(path, setting, boxes);
        EXPECT_EQ(setting.PressColorTable.size(), 6u) << name;
        EXPECT_EQ(setting.HasSoundFiles, QString(name) == "DrawSetting2.ini") << name;
        for (size_t n = 1; n < setting.SoundTable.size(); ++n) {
            EXPECT_TRUE(QFile::exists(InApplicationFolder(kDemo, setting.SoundTable[n].FileName)))
                << setting.SoundTable[n].FileName.toStdString();
        }
        EXPECT_TRUE(boxes.shown.empty()) << name;
    }
}

}  // namespace
}  // namespace korvi

// Where the application folder is, and the user's own folder made from the installed demo
// settings on first start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/AppFolder.h"
#include "platform/UserFolder.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

using test::ReadFile;
using test::WriteFile;

// The order is KORVISENSOR_HOME, then a portable copy (Setting.ini beside the program), then the
// user's data folder; the demo settings are always looked for where they are installed.
TEST(ApplicationFolder, FollowsTheOrderHomeThenPortableCopyThenUserData) {
    const struct {
        bool homeSet;
        bool settingBesideProgram;
        const char* expected;  // the chosen folder, relative to the test's root
        FolderSource source;
    } cases[] = {{true, true, "home", FolderSource::Environment},
                 {true, false, "home", FolderSource::Environment},
                 {false, true, "opt/bin", FolderSource::Portable},
                 {false, false, "data/KorviSensor", FolderSource::UserData}};
    for (const auto& c : cases) {
        QTemporaryDir root;
        const QDir r(root.path());
        r.mkpath(QStringLiteral("home"));
        r.mkpath(QStringLiteral("opt/bin"));
        if (c.settingBesideProgram) {
            WriteFile(r.filePath(QStringLiteral("opt/bin/Setting.ini")), "[Com_Setting]\r\n");
        }
        const ApplicationFolderPlan plan = ChooseApplicationFolder(
            c.homeSet ? r.filePath(QStringLiteral("home")) : QString(),
            r.filePath(QStringLiteral("opt/bin")), r.filePath(QStringLiteral("data/KorviSensor")));
        EXPECT_EQ(plan.path, r.filePath(QString::fromLatin1(c.expected))) << c.homeSet;
        EXPECT_EQ(plan.source, c.source) << c.expected;
        EXPECT_EQ(plan.demoFolder, r.filePath(QStringLiteral("opt/share/korvisensor/demo")));
    }
}

class UserFolder : public ::testing::Test {
  protected:
    UserFolder() {
        // The installed demo: a Setting.ini with Shift-JIS comments and device lines, draw
        // settings, a layout and pictures in sub-folders, all read-only as installed.
        WriteFile(demo("Setting.ini"),
                  "; \x83\x66\x83\x82\x90\xdd\x92\xe8\r\n[Com_Setting]\r\nPortNo=1\r\n"
                  "; Device=/dev/pts/3\r\nDevice=/dev/pts/9\r\n  device = /dev/ttyUSB1\r\n"
                  "Speed=115200\r\n[Disp_Setting]\r\nBmpDir=Bmp\r\nBaseDir=Base\r\n");
        WriteFile(demo("DrawSetting1.ini"), "[Disp_Setting]\r\nTraceSize=20\r\n");
        WriteFile(demo("DemoLayout.lay"), QByteArray(1020, '\x01'));
        WriteFile(demo("Bmp/Foot_0.bmp"), "BM-foot");
        WriteFile(demo("Base/Base_0.bmp"), "BM-base");
        WriteFile(demo("Sound/tap.wav"), "RIFF");
        for (const char* name : {"Setting.ini", "DrawSetting1.ini", "Bmp/Foot_0.bmp"}) {
            QFile::setPermissions(demo(name), QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
    }
    QString demo(const char* name) const { return root.filePath(QStringLiteral("demo/") + name); }
    QString user(const char* name) const { return root.filePath(QStringLiteral("user/") + name); }
    UserFolderResult Prepare() const {
        return PrepareUserFolder(root.filePath(QStringLiteral("user")),
                                 root.filePath(QStringLiteral("demo")));
    }

    QTemporaryDir root;
};

TEST_F(UserFolder, FirstStartCopiesTheDemoWithoutItsDeviceAndSecondStartKeepsTheUsersFiles) {
    EXPECT_EQ(Prepare(), UserFolderResult::Created);
    EXPECT_EQ(ReadFile(user("Setting.ini")),
              QByteArray("; \x83\x66\x83\x82\x90\xdd\x92\xe8\r\n[Com_Setting]\r\nPortNo=1\r\n"
                         "; Device=/dev/pts/3\r\nSpeed=115200\r\n[Disp_Setting]\r\nBmpDir=Bmp\r\n"
                         "BaseDir=Base\r\n"));
    for (const char* name : {"DrawSetting1.ini", "DemoLayout.lay", "Bmp/Foot_0.bmp",
                             "Base/Base_0.bmp", "Sound/tap.wav"}) {
        EXPECT_EQ(ReadFile(user(name)), ReadFile(demo(name))) << name;
    }
    for (const char* name : {"Setting.ini", "DrawSetting1.ini", "Bmp/Foot_0.bmp"}) {
        EXPECT_TRUE(QFile::permissions(user(name)) & QFileDevice::WriteOwner) << name;
    }

    // The user edits a draw setting and deletes the layout: a later start leaves both so.
    WriteFile(user("DrawSetting1.ini"), "[Disp_Setting]\r\nTraceSize=99\r\n");
    QFile::remove(user("DemoLayout.lay"));
    EXPECT_EQ(Prepare(), UserFolderResult::Reused);
    EXPECT_EQ(ReadFile(user("DrawSetting1.ini")), QByteArray("[Disp_Setting]\r\nTraceSize=99\r\n"));
    EXPECT_FALSE(QFile::exists(user("DemoLayout.lay")));
}

TEST_F(UserFolder, WithoutDemoSettingsTheFolderIsMadeEmpty) {
    QDir(root.filePath(QStringLiteral("demo"))).removeRecursively();
    EXPECT_EQ(Prepare(), UserFolderResult::NoDemo);
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("user"))).exists());
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("user"))).isEmpty());
}

}  // namespace
}  // namespace korvi

// Start-up in the user's own application folder: made from the demo settings on first start and
// said once in the status bar, reused afterwards, and checked like any other folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QStatusBar>

#include "tests/support/ProgramFixture.h"

namespace korvi {
namespace {

class UserFolderStart : public test::ProgramFixture {
  protected:
    bool StartInUserFolder() {
        program.reset();
        ApplicationFolderPlan plan;
        plan.path = userFolder;
        plan.source = FolderSource::UserData;
        plan.demoFolder = test::TempAppFolder::demoFolder();
        program = std::make_unique<MainModule>(boxes, dialogs, sound, clock, serial, plan);
        return program->Main();
    }
    QString userFolder = folder.file(QStringLiteral("home/.local/share/KorviSensor"));
};

TEST_F(UserFolderStart, FirstStartMakesTheFolderFromTheDemoAndSaysSoOnce) {
    ASSERT_TRUE(StartInUserFolder());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(window()->statusBar()->currentMessage(),
              QStringLiteral("設定フォルダ %1 をデモ設定から作りました。通信するポートは"
                             "「ﾌｧｲﾙ」→「ポート選択...」で選んでください。")
                  .arg(userFolder));
    EXPECT_TRUE(QDir(userFolder).exists(QStringLiteral("SavaData")));
    EXPECT_EQ(window()->cboDrawSetting->count(), 2);
    EXPECT_EQ(window()->StatusText(), QStringLiteral("停止中   次のポート COM1 (設定ファイル)"));

    // The second start finds the folder and says nothing about it.
    ASSERT_TRUE(StartInUserFolder());
    EXPECT_EQ(window()->statusBar()->currentMessage(), QString());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(UserFolderStart, StartUpChecksApplyToTheUserFolderUnchanged) {
    ASSERT_TRUE(StartInUserFolder());
    QDir(QDir(userFolder).filePath(QStringLiteral("Bmp"))).removeRecursively();
    EXPECT_FALSE(StartInUserFolder());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(
        boxes.shown[0].title + ": " + boxes.shown[0].text,
        QStringLiteral("Directory Error!: Bmp ディレクトリが見つかりません。\r\n"
                       "設定ファイル(Setting.ini)の BMPファイルディレクトリ を確認してください。"));
    EXPECT_FALSE(QDir(userFolder).exists(QStringLiteral("Bmp"))) << "the demo is not copied again";
}

}  // namespace
}  // namespace korvi

// Start-up in the user's own application folder: made from the demo settings on first start and
// said once in the status bar, reused afterwards (its files are kept: UserFolder).
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
    EXPECT_EQ(window()->StatusText(),
              QStringLiteral("停止中   次のポート 未選択 (「ポート選択...」で選んでください)"));

    // The second start finds the folder and says nothing about it.
    ASSERT_TRUE(StartInUserFolder());
    EXPECT_EQ(window()->statusBar()->currentMessage(), QString());
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace korvi

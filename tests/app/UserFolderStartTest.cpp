// Start-up in the user's own application folder: made from the demo settings on first start and
// said once in the status bar, reused afterwards (its files are kept: UserFolder).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>

#include "layout/LayoutEditor.h"
#include "tests/support/ProgramFixture.h"

namespace korvi {
namespace {

class UserFolderStart : public test::ProgramFixture {
  protected:
    QString userFolder = folder.file(QStringLiteral("home/.local/share/KorviSensor"));
};

TEST_F(UserFolderStart, FirstStartMakesTheFolderFromTheDemoAndSaysSoOnce) {
    ASSERT_TRUE(StartInUserFolder(userFolder));
    EXPECT_TRUE(boxes.shown.empty());
    // The notice has a field of its own beside the live status, which stays in view.
    EXPECT_EQ(window()->statusNotice->text(),
              QStringLiteral("設定フォルダ %1 をデモ設定から作りました。通信するポートは"
                             "「ﾌｧｲﾙ」→「ポート選択...」で選んでください。")
                  .arg(userFolder));
    EXPECT_TRUE(QDir(userFolder).exists(QStringLiteral("SavaData")));
    EXPECT_EQ(window()->cboDrawSetting->count(), 2);
    EXPECT_EQ(window()->statusLink->text(),
              QStringLiteral("停止中   次のポート 未選択 (「ポート選択...」で選んでください)"));
    EXPECT_TRUE(window()->statusLink->isVisible() && window()->statusNotice->isVisible());
    EXPECT_FALSE(window()->statusLink->geometry().intersects(window()->statusNotice->geometry()));

    // The demo's layout is shown at once: five frames on the base plate.
    const auto shownFrames = [this] {
        QString shown;
        for (PictureBox* frame : window()->layout().picPressSens) {
            shown += frame->Visible() ? QLatin1Char('1') : QLatin1Char('0');
        }
        return shown + (window()->layout().picBaseSens->Visible() ? "+plate" : "");
    };
    EXPECT_EQ(shownFrames(), QStringLiteral("1101110000000000+plate"));
    const QString demoLayout = QDir(userFolder).filePath(QStringLiteral("DemoLayout.lay"));
    ASSERT_EQ(window()->RecentLayoutMenu->actions().size(), 1);

    // The second start finds the folder, says nothing about it and starts empty, with the demo
    // layout offered among the recent ones.
    ASSERT_TRUE(StartInUserFolder(userFolder));
    EXPECT_EQ(window()->statusNotice->text(), QString());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(shownFrames(), QStringLiteral("0000000000000000"));
    const QList<QAction*> recent = window()->RecentLayoutMenu->actions();
    ASSERT_EQ(recent.size(), 1);
    EXPECT_TRUE(window()->RecentLayoutMenu->isEnabled());
    EXPECT_EQ(recent[0]->text(), QStringLiteral("&1 ") + QDir::toNativeSeparators(demoLayout));
    recent[0]->trigger();
    EXPECT_EQ(shownFrames(), QStringLiteral("1101110000000000+plate"));
}

// The menu keeps the last five layouts loaded or saved, newest first, each file once; one that is
// gone is refused with the load command's message and leaves the list.
TEST_F(UserFolderStart, RecentLayoutsKeepTheLastFiveNewestFirstAndForgetAGoneFile) {
    folder.writeDefaults();
    ASSERT_TRUE(Start());
    const QString demo = test::TempAppFolder::demoFolder() + QStringLiteral("/DemoLayout.lay");
    QStringList files;
    for (int n = 1; n <= 6; ++n) {
        files.append(folder.file(QStringLiteral("L%1.lay").arg(n)));
        ASSERT_TRUE(QFile::copy(demo, files.back()));
        dialogs.answers.push_back(files.back());
        window()->editor().cmdLoad_Click();
    }
    dialogs.answers.push_back(files[2]);  // L3 loaded again goes first
    window()->editor().cmdLoad_Click();
    QStringList listed;
    for (const QAction* item : window()->RecentLayoutMenu->actions()) {
        listed.append(item->text().section(QLatin1Char(' '), 1));
    }
    const auto native = [](const QString& path) { return QDir::toNativeSeparators(path); };
    EXPECT_EQ(listed, (QStringList{native(files[2]), native(files[5]), native(files[4]),
                                   native(files[3]), native(files[1])}));

    QFile::remove(files[5]);
    window()->RecentLayoutMenu->actions()[1]->trigger();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              files[5] + QStringLiteral("\r\nセンサ配置ファイルを読み込めません。\r\n"
                                        "ファイルが見つかりません。"));
    EXPECT_EQ(window()->RecentLayoutMenu->actions().size(), 4);
}

}  // namespace
}  // namespace korvi

// Start-up of the real program logic: the single copy, the data folder, the folder checks, the
// draw-setting list and the main window with its captions and menus.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenuBar>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "platform/Clock.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

class Startup : public ::testing::Test {
  protected:
    Startup() { folder.writeDefaults(); }

    std::unique_ptr<MainModule> Start(test::RecordingMessageBoxes& to) {
        auto program = std::make_unique<MainModule>(to, dialogs, sound, clock, serial);
        started = program->Main();
        return program;
    }

    test::TempAppFolder folder;
    test::RecordingMessageBoxes boxes;
    test::ScriptedFileDialogs dialogs;
    test::RecordingSound sound;
    ManualClock clock;
    test::FakeSerialLine serial;
    bool started = false;
};

TEST_F(Startup, ShowsTheMaximisedMainWindowWithEveryCaption) {
    auto program = Start(boxes);
    ASSERT_TRUE(started);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(QDir(folder.file(QStringLiteral("SavaData"))).exists());

    frmDemo& window = *program->window();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tamsen Korviｾﾝｻｰ (圧力位置検出ｾﾝｻｰ)"));
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);

    const std::pair<const char*, const char*> captions[] = {{"cmdComm", "通信開始"},
                                                            {"btnSaveCsv", "CSV出力"},
                                                            {"cmdComData", "通信データ表示"},
                                                            {"cmdDispBmp", "点表示"},
                                                            {"chkTrace", "軌跡表示"},
                                                            {"chkSound", "音を出す"},
                                                            {"cmdCls", "表示クリア"},
                                                            {"cmdDispSensor", "ｾﾝｻ枠表示 OFF"},
                                                            {"cmdRotate", "センサ回転"},
                                                            {"cmdSave", "センサ配置保存"},
                                                            {"cmdLoad", "センサ配置読込"},
                                                            {"cmdQuit", "終了"},
                                                            {"cmdFude", "筆書き"}};
    for (const auto& [name, caption] : captions) {
        auto* control = window.findChild<QAbstractButton*>(QString::fromUtf8(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->text(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_TRUE(window.chkSound->isChecked());
    EXPECT_FALSE(window.chkTrace->isChecked());
    EXPECT_EQ(window.cboDrawSetting->currentText(), QStringLiteral("DrawSetting1"));

    const std::pair<const char*, const char*> items[] = {{"SensSave", "センサ配置保存"},
                                                         {"SensRead", "センサ配置読込"},
                                                         {"Quit", "終了"},
                                                         {"DispClr", "クリア"},
                                                         {"CoseDisp", "軌跡表示"},
                                                         {"SensFrameDisp", "センサ枠表示"},
                                                         {"SensRotate", "センサ回転"},
                                                         {"DispPoint", "点表示"},
                                                         {"DataWindow", "通信データ"}};
    for (const auto& [name, caption] : items) {
        auto* action = window.findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
    }
    QStringList menus;
    for (QAction* menu : window.menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("表示"),
                                  QStringLiteral("ｳｲﾝﾄﾞｳ")}));
}

TEST_F(Startup, SecondCopyIsRefusedAndLeavesTheFirstRunning) {
    auto first = Start(boxes);
    ASSERT_TRUE(started);

    test::RecordingMessageBoxes secondBoxes;
    auto second = Start(secondBoxes);
    EXPECT_FALSE(started);
    EXPECT_EQ(second->window(), nullptr);
    ASSERT_EQ(secondBoxes.shown.size(), 1u);
    EXPECT_EQ(secondBoxes.shown[0].text, QStringLiteral("プログラムは既に起動しています。"));
    EXPECT_EQ(secondBoxes.shown[0].title, QStringLiteral("起動エラー"));
    EXPECT_EQ(secondBoxes.shown[0].icon, BoxIcon::None);

    ASSERT_NE(first->window(), nullptr);
    EXPECT_TRUE(first->window()->isVisible());
    second.reset();
    // The refused copy must not have taken the lock away from the first.
    test::RecordingMessageBoxes thirdBoxes;
    auto third = Start(thirdBoxes);
    EXPECT_FALSE(started);
}

TEST_F(Startup, MissingFoldersEndStartUpWithTheirMessages) {
    QDir(folder.file(QStringLiteral("Bmp"))).removeRecursively();
    Start(boxes);
    EXPECT_FALSE(started);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Directory Error!"));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("Bmp ディレクトリが見つかりません。\r\n設定ファイル(Setting.ini)の "
                             "BMPファイルディレクトリ を確認してください。"));

    boxes.shown.clear();
    QDir(folder.path()).mkpath(QStringLiteral("Bmp"));
    QDir(folder.file(QStringLiteral("Base"))).removeRecursively();
    Start(boxes);
    EXPECT_FALSE(started);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("Base ディレクトリが見つかりません。\r\n設定ファイル(Setting.ini)の "
                             "ベースファイルディレクトリ を確認してください。"));
}

TEST_F(Startup, DrawSettingListEndsAtTheFirstGapAndAnEmptyListEndsTheProgram) {
    folder.write(QStringLiteral("DrawSetting3.ini"), "[Disp_Setting]\r\n");
    {
        auto program = Start(boxes);
        ASSERT_TRUE(started);
        EXPECT_EQ(program->window()->cboDrawSetting->count(), 1);
    }
    folder.remove(QStringLiteral("DrawSetting1.ini"));
    Start(boxes);
    EXPECT_FALSE(started);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("描画用設定ファイルが見つかりません。"));
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("ファイルエラー"));
}

}  // namespace
}  // namespace korvi

// Start-up of the real program logic: the single copy, the data folder, the folder checks, the
// draw-setting list and the main window with its captions and menus.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenuBar>
#include <QTemporaryDir>

#include "tests/support/ProgramFixture.h"

namespace korvi {
namespace {

class Startup : public test::ProgramFixture {
  protected:
    Startup() { folder.writeDefaults(); }
    // The one message box start-up showed, as "title: text".
    QString OnlyBox(const test::RecordingMessageBoxes& from) const {
        return from.shown.size() == 1 ? from.shown[0].title + ": " + from.shown[0].text
                                      : QStringLiteral("%1 boxes").arg(from.shown.size());
    }
};

TEST_F(Startup, ShowsTheMaximisedMainWindowWithEveryCaption) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(QDir(folder.file(QStringLiteral("SavaData"))).exists());
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Tamsen Korviｾﾝｻｰ (圧力位置検出ｾﾝｻｰ)"));
    EXPECT_TRUE(window()->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(window()->chkSound->isChecked() && !window()->chkTrace->isChecked());
    EXPECT_EQ(window()->cboDrawSetting->currentText(), QStringLiteral("DrawSetting1"));

    // Every named button and menu item that has a caption, sorted by name, then the menus.
    QStringList captions;
    for (const QAbstractButton* button : window()->findChildren<QAbstractButton*>()) {
        captions << button->objectName() + '=' + button->text();
    }
    for (const QAction* action : window()->findChildren<QAction*>()) {
        captions << action->objectName() + '=' + action->text();
    }
    captions.removeIf([](const QString& c) { return c.startsWith('=') || c.endsWith('='); });
    captions.sort();
    for (const QAction* menu : window()->menuBar()->actions()) {
        captions << menu->text();
    }
    EXPECT_EQ(captions.join(", ").toStdString(),
              QStringLiteral(
                  "CoseDisp=軌跡表示, DataWindow=通信データ, DispClr=クリア, DispPoint=点表示, "
                  "OpenViewer=ライブビューを開く, PeakMap=最大値表示, PortSelect=ポート選択..., "
                  "Publish=外部出力..., Quit=終了, ReplayRecord=記録の再生..., "
                  "SavePicture=画像保存..., "
                  "SensFrameDisp=センサ枠表示, SensRead=センサ配置読込, "
                  "SensRotate=センサ回転, SensSave=センサ配置保存, Statistics=統計..., "
                  "btnSaveCsv=CSV出力, "
                  "chkSound=音を出す, chkTrace=軌跡表示, cmdCls=表示クリア, "
                  "cmdComData=通信データ表示, cmdComm=通信開始, cmdDispBmp=点表示, "
                  "cmdDispSensor=ｾﾝｻ枠表示 OFF, cmdFude=筆書き, cmdLoad=センサ配置読込, "
                  "cmdQuit=終了, cmdRotate=センサ回転, cmdSave=センサ配置保存, ﾌｧｲﾙ, 表示, "
                  "ｳｲﾝﾄﾞｳ")
                  .toStdString());
}

// Each user has a runtime folder of their own: a copy started by another user (another folder)
// runs beside the first, while a second copy of the same user is refused, again and again.
TEST_F(Startup, AnotherUsersCopyStartsBesideTheFirst) {
    const QByteArray mine = qgetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(Start());
    QTemporaryDir otherUser;
    qputenv("XDG_RUNTIME_DIR", otherUser.path().toLocal8Bit());
    test::RecordingMessageBoxes otherBoxes;
    const auto other = Launch(otherBoxes);
    const bool otherStarted = other->Main();
    test::RecordingMessageBoxes againBoxes;
    const bool secondOfOtherStarted = Launch(againBoxes)->Main();
    qputenv("XDG_RUNTIME_DIR", mine);
    EXPECT_TRUE(otherStarted) << OnlyBox(otherBoxes).toStdString();
    EXPECT_TRUE(otherBoxes.shown.empty());
    EXPECT_TRUE(QFile::exists(QDir(otherUser.path()).filePath("korvisensor.lock")));
    EXPECT_FALSE(secondOfOtherStarted);
    EXPECT_EQ(OnlyBox(againBoxes), QStringLiteral("起動エラー: プログラムは既に起動しています。"));

    // The same user's second copy is refused without a window and leaves the lock to the first.
    for (int attempt = 0; attempt < 2; ++attempt) {
        test::RecordingMessageBoxes sameBoxes;
        auto same = Launch(sameBoxes);
        EXPECT_FALSE(same->Main());
        EXPECT_EQ(same->window(), nullptr);
        EXPECT_EQ(OnlyBox(sameBoxes),
                  QStringLiteral("起動エラー: プログラムは既に起動しています。"));
        EXPECT_EQ(sameBoxes.shown[0].icon, BoxIcon::None);
    }
    EXPECT_TRUE(window()->isVisible() && other->window()->isVisible());
}

TEST_F(Startup, MissingFoldersEndStartUpWithTheirMessages) {
    const std::pair<const char*, const char*> cases[] = {{"Bmp", "BMPファイル"},
                                                         {"Base", "ベースファイル"}};
    for (const auto& [name, what] : cases) {
        QDir(folder.path()).mkpath(QStringLiteral("Bmp"));
        QDir(folder.file(QString::fromLatin1(name))).removeRecursively();
        boxes.shown.clear();
        EXPECT_FALSE(Start());
        EXPECT_EQ(OnlyBox(boxes),
                  QStringLiteral("Directory Error!: %1 ディレクトリが見つかりません。"
                                 "\r\n設定ファイル(Setting.ini)の %2"
                                 "ディレクトリ を確認してください。")
                      .arg(QString::fromLatin1(name), QString::fromUtf8(what)));
        EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Critical);
    }
}

TEST_F(Startup, DrawSettingListEndsAtTheFirstGapAndAnEmptyListEndsTheProgram) {
    folder.write(QStringLiteral("DrawSetting3.ini"), "[Disp_Setting]\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(window()->cboDrawSetting->count(), 1);
    program.reset();
    QFile::remove(folder.file(QStringLiteral("DrawSetting1.ini")));
    EXPECT_FALSE(Start());
    EXPECT_EQ(OnlyBox(boxes),
              QStringLiteral("ファイルエラー: 描画用設定ファイルが見つかりません。"));
}

}  // namespace
}  // namespace korvi

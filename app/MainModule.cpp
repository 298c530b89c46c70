#include "app/MainModule.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include "app/frmDemo.h"
#include "layout/LayoutEditor.h"
#include "platform/AppFolder.h"
#include "platform/MessageBoxes.h"
#include "platform/UserFolder.h"

namespace korvi {

namespace {

bool CheckFolder(MessageBoxes& boxes, const QString& appFolder, const QString& folder,
                 const QString& keyName) {
    if (!folder.isEmpty() && QFileInfo(ResolvePath(appFolder, folder)).isDir()) {
        return true;
    }
    boxes.show(
        folder + QStringLiteral(" ディレクトリが見つかりません。\r\n設定ファイル(Setting.ini)の ") +
            keyName + QStringLiteral(" を確認してください。"),
        QStringLiteral("Directory Error!"), BoxIcon::Critical);
    return false;
}

}  // namespace

MainModule::MainModule(MessageBoxes& boxes, FileDialogs& dialogs, SoundOutput& sound, Clock& clock,
                       SerialLine& serial, ApplicationFolderPlan folder)
    : context_{folder.path, {}, {}, {}, {}, boxes, dialogs, sound, clock, serial},
      folder_(std::move(folder)) {}

MainModule::~MainModule() = default;

bool MainModule::RefuseSecondCopy() {
    // One copy per user: a lock in the user's own runtime folder ($XDG_RUNTIME_DIR, or a private
    // folder Qt makes for the user), so that another user's copy on the same machine is not
    // refused. A lock whose owner crashed is taken over.
    lock_ = std::make_unique<QLockFile>(
        QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
            .filePath(QStringLiteral("korvisensor.lock")));
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        return false;
    }
    lock_.reset();
    context_.boxes.show(QStringLiteral("プログラムは既に起動しています。"),
                        QStringLiteral("起動エラー"), BoxIcon::None);
    return true;
}

bool MainModule::Main() {
    if (RefuseSecondCopy()) {
        return false;
    }
    // The user's own folder is made from the demo settings on first start; the checks below then
    // apply to it as to any other application folder.
    if (folder_.source == FolderSource::UserData &&
        PrepareUserFolder(context_.appFolder, folder_.demoFolder) == UserFolderResult::Created) {
        startNotice_ = QStringLiteral(
                           "設定フォルダ %1 をデモ設定から作りました。通信するポートは"
                           "「ﾌｧｲﾙ」→「ポート選択...」で選んでください。")
                           .arg(QDir::toNativeSeparators(context_.appFolder));
    }
    QDir(context_.appFolder).mkpath(QStringLiteral("SavaData"));

    const QString settingFile =
        InApplicationFolder(context_.appFolder, QStringLiteral("Setting.ini"));
    const QString problem = ReadSettingFile(settingFile, context_.settings, context_.boxes);
    if (!problem.isEmpty()) {
        context_.boxes.show(problem, QStringLiteral("設定エラー"), BoxIcon::Critical);
        return false;
    }
    if (!CheckFolder(context_.boxes, context_.appFolder, context_.settings.BmpDir,
                     QStringLiteral("BMPファイルディレクトリ")) ||
        !CheckFolder(context_.boxes, context_.appFolder, context_.settings.BaseDir,
                     QStringLiteral("ベースファイルディレクトリ"))) {
        return false;
    }

    context_.RxBuffer.SetSize(10240);
    window_ = std::make_unique<frmDemo>(context_);
    if (!window_->Load()) {
        context_.boxes.show(QStringLiteral("描画用設定ファイルが見つかりません。"),
                            QStringLiteral("ファイルエラー"), BoxIcon::Critical);
        window_.reset();
        return false;
    }
    // Without a window manager (Xvfb) maximising has no effect: take the screen's area first.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->setGeometry(screen->availableGeometry());
    }
    window_->showMaximized();
    if (!startNotice_.isEmpty()) {
        window_->ShowNotice(startNotice_, 60000);
        // The first start shows the demo at once: the layout that came with the demo settings.
        const QString demoLayout =
            InApplicationFolder(context_.appFolder, QStringLiteral("DemoLayout.lay"));
        if (QFileInfo::exists(demoLayout)) {
            window_->editor().LoadLayoutFile(demoLayout);
        }
    }
    return true;
}

}  // namespace korvi

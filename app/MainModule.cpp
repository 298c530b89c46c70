#include "app/MainModule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

#include "app/frmDemo.h"
#include "layout/LayoutEditor.h"
#include "link/CommunicationControl.h"
#include "platform/AppFolder.h"
#include "platform/MessageBoxes.h"
#include "platform/UserFolder.h"
#include "recording/CsvRecorder.h"

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

CommandLine ParseCommandLine(const QStringList& arguments, StartOptions& options, QString& text) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Viewer for a pressure-position sensor system."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Open DEVICE for this run (not remembered)."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption layout(QStringLiteral("layout"),
                                    QStringLiteral("Load the sensor layout FILE at start."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption drawSetting(QStringLiteral("draw-setting"),
                                         QStringLiteral("Use DrawSettingN.ini."),
                                         QStringLiteral("N"));
    const QCommandLineOption start(
        QStringLiteral("start"),
        QStringLiteral("Start communicating once the window shows, as the start button does."));
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Record the readings to CSV from --start."));
    const QCommandLineOption reconnect(
        QStringLiteral("reconnect"),
        QStringLiteral("Wait for a lost controller and go on when it is back (this run)."));
    const QCommandLineOption fullscreen(QStringLiteral("fullscreen"),
                                        QStringLiteral("Show the window on the whole screen."));
    const QCommandLineOption osc(
        QStringLiteral("osc"), QStringLiteral("Send the readings as OSC to HOST:PORT (this run)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption tuio(QStringLiteral("tuio"),
                                  QStringLiteral("Send the presses as TUIO cursors to HOST:PORT "
                                                 "(this run)."),
                                  QStringLiteral("HOST:PORT"));
    const QCommandLineOption websocket(
        QStringLiteral("websocket"),
        QStringLiteral("Serve the layout and the readings on WebSocket PORT (this run)."),
        QStringLiteral("PORT"));
    parser.addOptions(
        {port, layout, drawSetting, start, record, reconnect, fullscreen, osc, tuio, websocket});
    if (!parser.parse(QStringList{QStringLiteral("korvisensor")} + arguments)) {
        text = parser.errorText();
        return CommandLine::Error;
    }
    if (parser.isSet(help)) {
        text = parser.helpText();
        return CommandLine::Exit;
    }
    if (parser.isSet(version)) {
        text = QStringLiteral("korvisensor %1\n").arg(QCoreApplication::applicationVersion());
        return CommandLine::Exit;
    }
    if (!parser.positionalArguments().isEmpty()) {
        text = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
        return CommandLine::Error;
    }
    StartOptions parsed;
    parsed.port = parser.value(port);
    parsed.layout = parser.value(layout);
    if (parser.isSet(drawSetting)) {
        bool ok = false;
        parsed.drawSetting = parser.value(drawSetting).toInt(&ok);
        if (!ok || parsed.drawSetting < 1) {
            text = QStringLiteral("--draw-setting: '%1' is no number from 1.")
                       .arg(parser.value(drawSetting));
            return CommandLine::Error;
        }
    }
    for (const auto& [option, target] :
         {std::pair{&osc, &parsed.osc}, std::pair{&tuio, &parsed.tuio}}) {
        if (parser.isSet(*option) && !ParseHostPort(parser.value(*option), *target)) {
            text = QStringLiteral("--%1: '%2' is no HOST:PORT.")
                       .arg(option->names().first(), parser.value(*option));
            return CommandLine::Error;
        }
    }
    if (parser.isSet(websocket)) {
        bool ok = false;
        const uint number = parser.value(websocket).toUInt(&ok);
        if (!ok || number < 1 || number > 65535) {
            text = QStringLiteral("--websocket: '%1' is no port from 1 to 65535.")
                       .arg(parser.value(websocket));
            return CommandLine::Error;
        }
        parsed.websocketPort = static_cast<uint16_t>(number);
    }
    parsed.start = parser.isSet(start);
    parsed.record = parser.isSet(record);
    parsed.reconnect = parser.isSet(reconnect);
    parsed.fullscreen = parser.isSet(fullscreen);
    options = parsed;
    return CommandLine::Run;
}

MainModule::MainModule(MessageBoxes& boxes, FileDialogs& dialogs, SoundOutput& sound, Clock& clock,
                       SerialLine& serial, ApplicationFolderPlan folder)
    : context_{folder.path,
               {},
               {},
               {},
               {},
               boxes,
               dialogs,
               sound,
               clock,
               serial,
               folder.source == FolderSource::UserData},
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

bool MainModule::Main(const StartOptions& options) {
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
    if (options.fullscreen) {
        window_->showFullScreen();
    } else {
        window_->showMaximized();
    }
    if (!startNotice_.isEmpty()) {
        window_->ShowNotice(startNotice_, 60000);
        // The first start shows the demo at once: the layout that came with the demo settings.
        const QString demoLayout =
            InApplicationFolder(context_.appFolder, QStringLiteral("DemoLayout.lay"));
        if (QFileInfo::exists(demoLayout)) {
            window_->editor().LoadLayoutFile(demoLayout);
        }
    }
    Apply(options);
    return true;
}

void MainModule::Apply(const StartOptions& options) {
    frmDemo& window = *window_;
    if (!options.port.isEmpty()) {
        window.UsePortForThisRun(options.port);
    }
    if (options.reconnect) {
        window.comm().SetReconnect(true);
    }
    if (options.osc.on || options.tuio.on || options.websocketPort != 0) {
        PublishTargets targets;
        if (options.osc.on) {
            targets.osc = options.osc;
        }
        if (options.tuio.on) {
            targets.tuio = options.tuio;
        }
        targets.websocket = options.websocketPort != 0;
        if (targets.websocket) {
            targets.websocketPort = options.websocketPort;
        }
        window.PublishThisRun(targets);
    }
    if (!options.layout.isEmpty()) {
        window.editor().LoadLayoutFile(options.layout);
    }
    if (options.drawSetting > 0) {
        const QString name = QStringLiteral("DrawSetting%1").arg(options.drawSetting);
        const int index = window.cboDrawSetting->findText(name);
        if (index < 0) {
            context_.boxes.show(
                QStringLiteral("描画設定 %1 がありません (--draw-setting)。").arg(name),
                QStringLiteral("ファイルエラー"), BoxIcon::Critical);
        } else {
            window.cboDrawSetting->setCurrentIndex(index);
        }
    }
    if (options.start) {
        // Once the window shows, as a click on 通信開始 would; the recording starts with it.
        QTimer::singleShot(0, &window, [&window, record = options.record] {
            window.comm().cmdComm_Click();
            if (record && window.comm().IsCommunicating() && window.csv().CsvMode() == 0) {
                window.csv().btnSaveCsv_Click();
            }
        });
    }
}

}  // namespace korvi

#include "app/frmDemo.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>

#include "analysis/PressStatistics.h"
#include "analysis/PressureHistory.h"
#include "app/CentreOverlay.h"
#include "app/ProgramContext.h"
#include "app/ReplayControl.h"
#include "app/ToolWindow.h"
#include "app/frmPortSelect.h"
#include "app/frmPublish.h"
#include "app/frmStatistics.h"
#include "display/ClearDisplay.h"
#include "display/PressDisplay.h"
#include "display/SoundRules.h"
#include "layout/LayoutEditor.h"
#include "link/CommunicationControl.h"
#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "platform/AppFolder.h"
#include "platform/Colors.h"
#include "platform/DragDrop.h"
#include "platform/MessageBoxes.h"
#include "platform/QtSerialLine.h"
#include "platform/RecentLayouts.h"
#include "platform/RememberedPort.h"
#include "platform/SerialPorts.h"
#include "platform/WavFile.h"
#include "publish/Publisher.h"
#include "recording/CsvRecorder.h"
#include "settings/DrawSetting.h"

namespace korvi {

namespace {

QAction* MenuItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

QString frmDemo::Title() {
    return QStringLiteral("Tamsen Korviｾﾝｻｰ (圧力位置検出ｾﾝｻｰ)");
}

frmDemo::frmDemo(ProgramContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
    setObjectName(QStringLiteral("frmDemo"));
    setWindowTitle(Title());
    // Tooltips show while a tool window of its own (the replay bar) is the active one: they say,
    // for one, why 通信開始 is disabled.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    form_ = new FormSurface(this);
    setCentralWidget(form_);
    form_->setMinimumSize(1030, 790);
    layout_ = std::make_unique<SensorLayout>(
        *form_, static_cast<uint32_t>(context.settings.BaseColor), context.settings.MergeMode);
    buildButtonBox();
    buildMenus();
    statusLink = Named(new QLabel(this), QStringLiteral("statusLink"));
    statusNotice = Named(new QLabel(this), QStringLiteral("statusNotice"));
    // The live fields keep the width of their text; the notice takes what is left, and shows
    // all of a long one as its tooltip.
    statusNotice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusNotice->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    statusBar()->addWidget(statusLink);
    statusBar()->addWidget(statusNotice, 1);
    statusPublish = Named(new QLabel(this), QStringLiteral("statusPublish"));
    statusBar()->addPermanentWidget(statusPublish);
    statusPublish->hide();
    noticeTimer_.setSingleShot(true);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] { ShowNotice({}, 0); });
    rememberedPort_ = std::make_unique<RememberedPort>(context.appFolder);
    chosenPort_ = rememberedPort_->device();
    chosenIdentity_ = rememberedPort_->identity();
    systemPorts_ = std::make_unique<QtPortEnumerator>();
    ports_ = systemPorts_.get();
    buildSubsystems();
}

frmDemo::~frmDemo() = default;

void frmDemo::buildSubsystems() {
    ProgramContext& c = context_;
    stats_ = std::make_unique<PressStatistics>();
    stats_->Clear(c.clock.ticks());
    history_ = std::make_unique<PressureHistory>();
    centreOverlay_ = new CentreOverlay(*layout_, c.clock, form_);
    publisher_ = std::make_unique<Publisher>(*layout_, c.drawSetting);
    connect(publisher_.get(), &Publisher::changed, this, [this] {
        statusPublish->setText(publisher_->StatusText());
        statusPublish->setVisible(publisher_->IsPublishing());
    });
    const QString unpublished = publisher_->Apply(RememberedPublishTargets());
    if (!unpublished.isEmpty()) {
        ShowNotice(unpublished, 30000);
    }
    drag_ = std::make_unique<DragController>(form_);
    editor_ = std::make_unique<LayoutEditor>(*layout_, *drag_, c.boxes, c.dialogs, c.appFolder,
                                             ResolvePath(c.appFolder, c.settings.BaseDir));
    connect(cmdRotate, &QPushButton::clicked, this, [this] { editor_->cmdRotate_Click(); });
    connect(SensRotate, &QAction::triggered, this, [this] { editor_->cmdRotate_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { editor_->cmdSave_Click(); });
    connect(SensSave, &QAction::triggered, this, [this] { editor_->cmdSave_Click(); });
    connect(cmdLoad, &QPushButton::clicked, this, [this] { editor_->cmdLoad_Click(); });
    connect(SensRead, &QAction::triggered, this, [this] { editor_->cmdLoad_Click(); });
    editor_->setLayoutFileUsed([this](const QString& path) {
        RecentLayouts().add(path);
        FillRecentLayoutMenu();
    });
    FillRecentLayoutMenu();

    display_ = std::make_unique<PressDisplay>(*layout_, c.drawSetting, c.sound, c.boxes, c.clock,
                                              ResolvePath(c.appFolder, c.settings.BmpDir));
    soundRules_ = std::make_unique<SoundRules>(c.drawSetting, c.sound);
    soundTimer_ =
        std::make_unique<SoundTimer>(*soundRules_, [this] { return chkSound->isChecked(); });
    csv_ = std::make_unique<CsvRecorder>(c.appFolder, c.drawSetting, c.boxes);
    csv_->SetCaptionHandler([this](const QString& caption) { btnSaveCsv->setText(caption); });
    csv_->SetStatusHandler([this] { statusLink->setText(StatusText()); });

    CommunicationControl::Hooks hooks;
    hooks.prepareStart = [this] {
        // cmdComm is disabled while a replay is open; should a start come anyway, it is not made.
        if (replay_->IsOpen()) {
            return false;
        }
        if (context_.portMustBeChosen && SettingsDevice().isEmpty() && chosenPort_.isEmpty()) {
            context_.boxes.show(
                QStringLiteral("通信するポートが選ばれていません。\r\n"
                               "「ﾌｧｲﾙ」→「ポート選択...」でポートを選んでください。"),
                QStringLiteral("ﾎﾟｰﾄ ｵｰﾌﾟﾝ ｴﾗｰ"), BoxIcon::Information);
            return false;
        }
        return PrepareStart();
    };
    hooks.serialConfig = [this] {
        const Settings& s = context_.settings;
        const QString device =
            s.Device.isEmpty() ? QString() : ResolvePath(context_.appFolder, s.Device);
        SerialConfig config{s.ComPort, device, s.ComSpeed, s.ComParity, s.ComDataLen, s.ComStopBit};
        // A port picked from the list wins over Setting.ini's; a picked adapter is found by its
        // identity under whatever name it has now.
        if (!chosenPort_.isEmpty()) {
            const QString located = LocatePort(*ports_, chosenPort_, chosenIdentity_);
            config.device = located.isEmpty() ? chosenPort_ : located;
#ifdef Q_OS_WIN
            config.portName = config.device;
#endif
        }
        portIdentity_ = chosenIdentity_;
        if (comm_->Reconnect() && !portIdentity_.IsKnown()) {
            portIdentity_ = IdentityOfPort(ports_->availablePorts(), SerialDeviceName(config));
        }
        portInUse_ = PortText();
        return config;
    };
    hooks.findDevice = [this](const QString& lost) {
        return LocatePort(*ports_, lost, portIdentity_);
    };
    hooks.showCommunicating = [this](bool on) { ShowCommunicating(on); };
    hooks.started = [this] {
        ClearDisplay(*layout_);
        cboDrawSetting->setEnabled(false);
    };
    hooks.enableList = [this] { cboDrawSetting->setEnabled(true); };
    hooks.streamingStarted = [this] {
        soundRules_->Reset();
        soundTimer_->Start(context_.drawSetting.HasSoundFiles);
    };
    hooks.reading = [this](const Reading& r) {
        ShowReading(r, true);
        csv_->OnReading(r.RxSensor, r.RxPress, r.RxX, r.RxY);
    };
    hooks.stopped = [this] {
        soundTimer_->Stop();
        soundRules_->Reset();
        csv_->StopCsvOutput();
    };
    monitor_ = std::make_unique<ComDataMonitor>(this);
    onComm_ = std::make_unique<ReceiveEvent>(c.serial, c.receive, c.RxBuffer, *monitor_);
    comm_ = std::make_unique<CommunicationControl>(c.serial, *onComm_, c.RxBuffer, c.receive,
                                                   *monitor_, c.clock, c.boxes, std::move(hooks));
    comm_->SetReconnect(rememberedPort_->reconnect());
    connect(cmdComData, &QPushButton::clicked, this, [this] { cmdComData_Click(); });
    connect(DataWindow, &QAction::triggered, this, [this] { cmdComData_Click(); });

    connect(cmdComm, &QPushButton::clicked, this, [this] { comm_->cmdComm_Click(); });
    connect(btnSaveCsv, &QPushButton::clicked, this, [this] { csv_->btnSaveCsv_Click(); });
    connect(cboDrawSetting, qOverload<int>(&QComboBox::activated), this,
            [this](int) { display_->ResetTraceCounters(); });
    connect(chkSound, &QCheckBox::toggled, this, [this](bool on) { display_->chkSound = on; });

    buildReplay();

    statusTimer_.setInterval(1000);
    connect(&statusTimer_, &QTimer::timeout, this, [this] { UpdateStatus(); });
    statusTimer_.start();
    UpdateStatus();
}

void frmDemo::ShowReading(const Reading& r, bool audible) {
    if (audible) {
        display_->DrawReading(r.RxSensor, r.RxPress, r.RxX, r.RxY);
        soundRules_->CollectReading(r.RxSensor, r.RxX, r.RxY, r.RxPress);
    } else {
        const bool soundOn = display_->chkSound;
        display_->chkSound = false;
        display_->DrawReading(r.RxSensor, r.RxPress, r.RxX, r.RxY);
        display_->chkSound = soundOn;
    }
    // One look at the clock per reading for both the figures and the history.
    const uint32_t now = context_.clock.ticks();
    stats_->Add(r.RxSensor, r.RxPress, r.RxX, r.RxY, now);
    history_->Add(r.RxSensor, r.RxPress, now);
    publisher_->Feed(r.RxSensor, r.RxPress, r.RxX, r.RxY);
}

bool frmDemo::PrepareStart() {
    ProgramContext& c = context_;
    const QString path =
        InApplicationFolder(c.appFolder, cboDrawSetting->currentText() + QStringLiteral(".ini"));
    const QString problem = CheckDrawSetting(path, c.boxes);
    if (!problem.isEmpty()) {
        c.boxes.show(problem, QStringLiteral("描画設定エラー"), BoxIcon::Critical);
        return false;
    }
    LoadDrawSetting(path, c.drawSetting, c.boxes);
    display_->ResetTrace();
    ClearStatistics();
    if (display_->PeakMapOn()) {
        display_->ClearPresses();  // the peak map belongs to the session too
    }
    if (c.drawSetting.HasSoundFiles) {
        for (size_t n = 1; n < c.drawSetting.SoundTable.size(); ++n) {
            SoundEntry& sound = c.drawSetting.SoundTable[n];
            const QString file = ResolvePath(c.appFolder, sound.FileName);
            if (!QFileInfo::exists(file)) {
                c.boxes.show(QStringLiteral("音声ファイル(SoundFile%1) %2 が見つかりません。\r\n"
                                            "設定ファイルの 音声ファイル名 を確認してください。")
                                 .arg(n)
                                 .arg(sound.FileName),
                             QStringLiteral("Directory Error!"), BoxIcon::Critical);
                return false;
            }
            const QString unusable = WavFileProblem(file);
            if (!unusable.isEmpty()) {
                c.boxes.show(QStringLiteral("音声ファイル(SoundFile%1) %2 は再生できません。\r\n")
                                     .arg(n)
                                     .arg(sound.FileName) +
                                 unusable,
                             QStringLiteral("音声ファイルエラー"), BoxIcon::Critical);
                return false;
            }
            sound.FileName = file;
        }
    }
    soundRules_->Reset();
    return true;
}

void frmDemo::ShowCommunicating(bool communicating) {
    cmdComm->setText(communicating ? QStringLiteral("通信停止") : QStringLiteral("通信開始"));
    QPalette face = cmdComm->palette();
    face.setColor(QPalette::Button, ToQColor(communicating ? kYellow : kSysButtonFace));
    cmdComm->setPalette(face);
    statusLink->setText(StatusText());
}

void frmDemo::UsePortForThisRun(const QString& device) {
    chosenPort_ = device;
    chosenIdentity_ = {};
    statusLink->setText(StatusText());
}

QString frmDemo::SettingsDevice() const {
    const Settings& s = context_.settings;
    if (context_.portMustBeChosen && s.Device.isEmpty()) {
        return {};
    }
    // The device the port number maps to here ("COM7" on Windows, /dev/ttyS6 elsewhere).
    SerialConfig config;
    config.portName = s.ComPort;
    config.device = s.Device.isEmpty() ? QString() : ResolvePath(context_.appFolder, s.Device);
    const QString device = SerialDeviceName(config);
    return device.isEmpty() ? s.ComPort : device;
}

QString frmDemo::PortText() const {
    if (!chosenPort_.isEmpty()) {
        return chosenPort_ + QStringLiteral(" (ユーザー選択)");
    }
    const QString device = SettingsDevice();
    return device.isEmpty() ? QStringLiteral("未選択 (「ポート選択...」で選んでください)")
                            : device + QStringLiteral(" (設定ファイル)");
}

QString frmDemo::StatusText() const {
    const QString csv = csv_->StatusText();
    if (!comm_->IsCommunicating()) {
        // After a port that did not open, the reason stays in view until the next start. A
        // recording (it may run before communication starts) is said when there is one.
        const QString failure = comm_->OpenFailure();
        return QStringLiteral("停止中   ") +
               (failure.isEmpty()
                    ? QString()
                    : QStringLiteral("ポートを開けません: ") + failure + QStringLiteral("   ")) +
               QStringLiteral("次のポート %1").arg(PortText()) +
               (csv_->IsIdle() ? QString() : QStringLiteral("   ") + csv);
    }
    const QString port = portInUse_;
    const QString waiting = comm_->ReconnectStatus();
    if (!waiting.isEmpty()) {
        return waiting + QStringLiteral("   ") + csv;
    }
    return QStringLiteral(
               "ポート %1   受信 %2 件/秒   キュー溢れ %3 行   改行なし破棄 %4 バイト   %5")
        .arg(port)
        .arg(readingsPerSecond_)
        .arg(context_.RxBuffer.RefusedCount())
        .arg(context_.receive.DroppedBytes)
        .arg(csv);
}

void frmDemo::ShowNotice(const QString& text, int timeoutMs) {
    statusNotice->setText(text);
    statusNotice->setToolTip(text);
    if (text.isEmpty()) {
        noticeTimer_.stop();
    } else {
        noticeTimer_.start(timeoutMs);
    }
}

// Once a second: the readings handled since the last tick are the rate.
void frmDemo::UpdateStatus() {
    const int64_t count = comm_->ReadingCount();
    readingsPerSecond_ = count - lastReadingCount_;
    lastReadingCount_ = count;
    statusLink->setText(StatusText());
}

void frmDemo::buildButtonBox() {
    picButtonBox =
        new PictureBox(form_, QStringLiteral("picButtonBox"), QStringLiteral("picButtonBox"));
    picButtonBox->Move(1500, 10560, 12600, 1140);
    picButtonBox->canvas().setBackColor(kSysButtonFace);

    auto button = [this](const QString& name, const QString& caption) {
        auto* b = Named(new QPushButton(caption, picButtonBox), name);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    cmdComm = button(QStringLiteral("cmdComm"), QStringLiteral("通信開始"));
    cboDrawSetting = Named(new QComboBox(picButtonBox), QStringLiteral("cboDrawSetting"));
    btnSaveCsv = button(QStringLiteral("btnSaveCsv"), QStringLiteral("CSV出力"));
    cmdComData = button(QStringLiteral("cmdComData"), QStringLiteral("通信データ表示"));
    cmdDispBmp = button(QStringLiteral("cmdDispBmp"), QStringLiteral("点表示"));
    chkTrace =
        Named(new QCheckBox(QStringLiteral("軌跡表示"), picButtonBox), QStringLiteral("chkTrace"));
    chkSound =
        Named(new QCheckBox(QStringLiteral("音を出す"), picButtonBox), QStringLiteral("chkSound"));
    cmdCls = button(QStringLiteral("cmdCls"), QStringLiteral("表示クリア"));
    cmdDispSensor = button(QStringLiteral("cmdDispSensor"), QStringLiteral("ｾﾝｻ枠表示 OFF"));
    cmdRotate = button(QStringLiteral("cmdRotate"), QStringLiteral("センサ回転"));
    cmdSave = button(QStringLiteral("cmdSave"), QStringLiteral("センサ配置保存"));
    cmdLoad = button(QStringLiteral("cmdLoad"), QStringLiteral("センサ配置読込"));
    cmdQuit = button(QStringLiteral("cmdQuit"), QStringLiteral("終了"));
    cmdFude = button(QStringLiteral("cmdFude"), QStringLiteral("筆書き"));
    chkTrace->setFocusPolicy(Qt::NoFocus);
    chkSound->setFocusPolicy(Qt::NoFocus);
    cboDrawSetting->setFocusPolicy(Qt::NoFocus);
    cmdComm->setAutoFillBackground(true);

    // Two rows of seven: the exchange and the display on top, layout and quitting below.
    const std::array<QWidget*, 14> order = {
        cmdComm, cboDrawSetting, btnSaveCsv, cmdComData, cmdDispBmp, chkTrace, chkSound,
        cmdCls,  cmdDispSensor,  cmdRotate,  cmdSave,    cmdLoad,    cmdQuit,  cmdFude};
    constexpr int kWidth = 114;
    constexpr int kHeight = 32;
    for (size_t n = 0; n < order.size(); ++n) {
        const int col = static_cast<int>(n % 7);
        const int row = static_cast<int>(n / 7);
        order[n]->setGeometry(6 + col * (kWidth + 5), 4 + row * (kHeight + 4), kWidth, kHeight);
    }

    connect(cmdDispSensor, &QPushButton::clicked, this, [this] { cmdDispSensor_Click(); });
    connect(cmdCls, &QPushButton::clicked, this, [this] { cmdCls_Click(); });
    connect(cmdDispBmp, &QPushButton::clicked, this, [this] { cmdDispBmp_Click(); });
    // The trace follows the box's value however it changes: a click, the keyboard, an assistive
    // technology's toggle, or code.
    connect(chkTrace, &QCheckBox::toggled, this, [this] { chkTrace_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
}

void frmDemo::buildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    SensSave = MenuItem(fileMenu, QStringLiteral("SensSave"), QStringLiteral("センサ配置保存"));
    SensRead = MenuItem(fileMenu, QStringLiteral("SensRead"), QStringLiteral("センサ配置読込"));
    RecentLayoutMenu = fileMenu->addMenu(QStringLiteral("最近使った配置"));
    RecentLayoutMenu->setObjectName(QStringLiteral("RecentLayoutMenu"));
    PortSelect = MenuItem(fileMenu, QStringLiteral("PortSelect"), QStringLiteral("ポート選択..."));
    ReplayRecord =
        MenuItem(fileMenu, QStringLiteral("ReplayRecord"), QStringLiteral("記録の再生..."));
    SavePicture = MenuItem(fileMenu, QStringLiteral("SavePicture"), QStringLiteral("画像保存..."));
    Publish = MenuItem(fileMenu, QStringLiteral("Publish"), QStringLiteral("外部出力..."));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("FileMenu3"));
    Quit = MenuItem(fileMenu, QStringLiteral("Quit"), QStringLiteral("終了"));

    QMenu* dispMenu = menuBar()->addMenu(QStringLiteral("表示"));
    dispMenu->setObjectName(QStringLiteral("DispMenu"));
    DispClr = MenuItem(dispMenu, QStringLiteral("DispClr"), QStringLiteral("クリア"));
    CoseDisp = MenuItem(dispMenu, QStringLiteral("CoseDisp"), QStringLiteral("軌跡表示"));
    CoseDisp->setCheckable(true);
    SensFrameDisp =
        MenuItem(dispMenu, QStringLiteral("SensFrameDisp"), QStringLiteral("センサ枠表示"));
    SensFrameDisp->setCheckable(true);
    SensRotate = MenuItem(dispMenu, QStringLiteral("SensRotate"), QStringLiteral("センサ回転"));
    dispMenu->addSeparator()->setObjectName(QStringLiteral("Space"));
    DispPoint = MenuItem(dispMenu, QStringLiteral("DispPoint"), QStringLiteral("点表示"));
    PeakMap = MenuItem(dispMenu, QStringLiteral("PeakMap"), QStringLiteral("最大値表示"));
    PeakMap->setCheckable(true);
    Statistics = MenuItem(dispMenu, QStringLiteral("Statistics"), QStringLiteral("統計..."));
    OpenViewer =
        MenuItem(dispMenu, QStringLiteral("OpenViewer"), QStringLiteral("ライブビューを開く"));

    QMenu* winMenu = menuBar()->addMenu(QStringLiteral("ｳｲﾝﾄﾞｳ"));
    winMenu->setObjectName(QStringLiteral("WinMenu"));
    DataWindow = MenuItem(winMenu, QStringLiteral("DataWindow"), QStringLiteral("通信データ"));

    connect(DispClr, &QAction::triggered, this, [this] { cmdCls_Click(); });
    // The item's check mark flips by itself (checkable), then the button's action runs.
    connect(SensFrameDisp, &QAction::triggered, this, [this] { cmdDispSensor_Click(); });
    connect(Quit, &QAction::triggered, this, [this] { Quit_Click(); });
    connect(DispPoint, &QAction::triggered, this, [this] { DispPoint_Click(); });
    connect(Statistics, &QAction::triggered, this, [this] { Statistics_Click(); });
    connect(PeakMap, &QAction::triggered, this, [this](bool on) { SetPeakMap(on); });
    connect(CoseDisp, &QAction::triggered, this, [this] { CoseDisp_Click(); });
    connect(PortSelect, &QAction::triggered, this, [this] { PortSelect_Click(); });
    connect(ReplayRecord, &QAction::triggered, this, [this] { ReplayRecord_Click(); });
    connect(SavePicture, &QAction::triggered, this, [this] { SavePicture_Click(); });
    connect(Publish, &QAction::triggered, this, [this] { Publish_Click(); });
    connect(OpenViewer, &QAction::triggered, this, [this] { OpenViewer_Click(); });
}

int16_t frmDemo::FillDrawSettingList() {
    int16_t count = 0;
    for (int n = 1; n <= 32767; ++n) {
        const QString name = QStringLiteral("DrawSetting%1").arg(n);
        if (!QFileInfo::exists(
                InApplicationFolder(context_.appFolder, name + QStringLiteral(".ini")))) {
            break;
        }
        cboDrawSetting->addItem(name);
        ++count;
    }
    return count;
}

bool frmDemo::Load() {
    layout_->InitSensors();
    editor_->InitBaseImages();
    editor_->InitStretchHandles();
    layout_->picDragNo->hide();
    layout_->picDragNo->SetTag(QStringLiteral("picDragNo"));
    layout_->BaseIndex = -1;
    layout_->StretchTarget = nullptr;
    if (FillDrawSettingList() == 0) {
        return false;
    }
    cboDrawSetting->setCurrentIndex(0);
    cmdComm->setText(QStringLiteral("通信開始"));
    layout_->ShowSensorFrames = true;
    cmdDispSensor->setText(QStringLiteral("ｾﾝｻ枠表示 OFF"));
    cmdDispBmp->setText(PressDisplay::DisplayModeCaption(display_->BmpMode()));
    chkSound->setChecked(true);
    display_->chkSound = true;
    display_->ResetTraceCounters();
    return true;
}

void frmDemo::cmdDispSensor_Click() {
    SensorLayout& l = *layout_;
    l.ShowSensorFrames = !l.ShowSensorFrames;
    cmdDispSensor->setText(l.ShowSensorFrames ? QStringLiteral("ｾﾝｻ枠表示 OFF")
                                              : QStringLiteral("ｾﾝｻ枠表示 ON"));
    DrawSensorFrames(l, l.ShowSensorFrames);
}

void frmDemo::cmdCls_Click() {
    display_->ClearPresses();
    ClearStatistics();
}

void frmDemo::ClearStatistics() {
    stats_->Clear(context_.clock.ticks());
    history_->Clear();
    centreOverlay_->Clear();
    publisher_->ReleaseAll();
}

void frmDemo::SetPeakMap(bool on) {
    display_->SetPeakMap(on);
    PeakMap->setChecked(on);
    if (statisticsWindow_ != nullptr) {
        const QSignalBlocker quiet(statisticsWindow_->cmdPeakMap);
        statisticsWindow_->cmdPeakMap->setChecked(on);
    }
}

void frmDemo::Statistics_Click() {
    if (statisticsWindow_ == nullptr) {
        statisticsWindow_ =
            new frmStatistics(*stats_, *history_, *layout_, context_.clock, context_.dialogs,
                              context_.boxes, context_.appFolder, this);
        statisticsWindow_->cmdPeakMap->setChecked(display_->PeakMapOn());
        connect(statisticsWindow_, &frmStatistics::peakMapToggled, this,
                [this](bool on) { SetPeakMap(on); });
        connect(statisticsWindow_, &frmStatistics::centrePathToggled, centreOverlay_,
                &CentreOverlay::SetOn);
        connect(statisticsWindow_, &frmStatistics::pathSpanChanged, centreOverlay_,
                &CentreOverlay::SetPathSeconds);
    }
    statisticsWindow_->show();
    statisticsWindow_->raise();
}

void frmDemo::cmdDispBmp_Click() {
    cmdDispBmp->setText(display_->ToggleBmpMode());
}

void frmDemo::DispPoint_Click() {
    DispPoint->setText(DispPoint->text() == QStringLiteral("点表示") ? QStringLiteral("BMP表示")
                                                                     : QStringLiteral("点表示"));
    cmdDispBmp_Click();
}

void frmDemo::chkTrace_Click() {
    const bool on = chkTrace->isChecked();
    display_->chkTrace = on;
    chkTrace->setAutoFillBackground(true);
    // Filled with the role the check box paints its background with (the button role), not the
    // window role.
    QPalette pal = chkTrace->palette();
    pal.setColor(chkTrace->backgroundRole(), ToQColor(TraceCheckBackColor(on)));
    chkTrace->setPalette(pal);
    CoseDisp->setChecked(on);
}

void frmDemo::CoseDisp_Click() {
    // The item's check mark has already flipped; the check box follows it.
    chkTrace->setChecked(CoseDisp->isChecked());
    chkTrace_Click();
}

void frmDemo::cmdComData_Click() {
    monitor_->Open();
}

void frmDemo::cmdQuit_Click() {
    csv_->StopCsvOutput();
    close();
}

void frmDemo::Quit_Click() {
    // Ends at once: no stop command is sent, the port is simply released.
    csv_->StopCsvOutput();
    emit endProgram();
}

void frmDemo::FillRecentLayoutMenu() {
    RecentLayoutMenu->clear();
    const QStringList recent = RecentLayouts().list();
    for (int n = 0; n < recent.size(); ++n) {
        const QString path = recent[n];
        QAction* item = RecentLayoutMenu->addAction(
            QStringLiteral("&%1 %2").arg(n + 1).arg(QDir::toNativeSeparators(path)));
        item->setObjectName(QStringLiteral("RecentLayout%1").arg(n + 1));
        connect(item, &QAction::triggered, this, [this, path] {
            // A file that is gone or no longer loads is refused with the load command's message
            // and leaves the list.
            if (!editor_->LoadLayoutFile(path)) {
                RecentLayouts().remove(path);
                FillRecentLayoutMenu();
            }
        });
    }
    RecentLayoutMenu->setEnabled(!recent.isEmpty());
}

void frmDemo::Publish_Click() {
    auto* dialog = new frmPublish(publisher_->targets(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        RememberPublishTargets(dialog->Chosen());
        PublishThisRun(dialog->Chosen());
    });
    dialog->show();
}

void frmDemo::PublishThisRun(const PublishTargets& targets) {
    const QString problem = publisher_->Apply(targets);
    if (!problem.isEmpty()) {
        context_.boxes.show(problem, QStringLiteral("外部出力エラー"), BoxIcon::Critical);
    }
}

void frmDemo::OpenViewer_Click() {
    OpenViewerPage(publisher_->targets().websocketPort);
}

void frmDemo::PortSelect_Click() {
    auto* dialog = new frmPortSelect(*ports_, chosenPort_, SettingsDevice(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->chkReconnect->setChecked(comm_->Reconnect());
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        chosenPort_ = dialog->ChosenDevice();
        chosenIdentity_ = dialog->ChosenIdentity();
        rememberedPort_->remember(chosenPort_, chosenIdentity_);
        comm_->SetReconnect(dialog->chkReconnect->isChecked());
        rememberedPort_->setReconnect(comm_->Reconnect());
        statusLink->setText(StatusText());
    });
    dialog->open();
}

void frmDemo::closeEvent(QCloseEvent* event) {
    EndReplay();
    comm_->StopCommunication();
    monitor_->Close();
    event->accept();
}

}  // namespace korvi

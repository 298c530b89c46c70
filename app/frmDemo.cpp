#include "app/frmDemo.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QStatusBar>

#include "app/ProgramContext.h"
#include "display/ClearDisplay.h"
#include "platform/AppFolder.h"
#include "platform/Colors.h"

namespace korvi {

namespace {

template <typename W>
W* Named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

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
    form_ = new FormSurface(this);
    setCentralWidget(form_);
    form_->setMinimumSize(1030, 790);
    layout_ = std::make_unique<SensorLayout>(
        *form_, static_cast<uint32_t>(context.settings.BaseColor), context.settings.MergeMode);
    buildButtonBox();
    buildMenus();
    statusLink = Named(new QLabel(this), QStringLiteral("statusLink"));
    statusBar()->addWidget(statusLink, 1);
}

frmDemo::~frmDemo() = default;

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
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
}

void frmDemo::buildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    SensSave = MenuItem(fileMenu, QStringLiteral("SensSave"), QStringLiteral("センサ配置保存"));
    SensRead = MenuItem(fileMenu, QStringLiteral("SensRead"), QStringLiteral("センサ配置読込"));
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

    QMenu* winMenu = menuBar()->addMenu(QStringLiteral("ｳｲﾝﾄﾞｳ"));
    winMenu->setObjectName(QStringLiteral("WinMenu"));
    DataWindow = MenuItem(winMenu, QStringLiteral("DataWindow"), QStringLiteral("通信データ"));

    connect(DispClr, &QAction::triggered, this, [this] { cmdCls_Click(); });
    // The item's check mark flips by itself (checkable), then the button's action runs.
    connect(SensFrameDisp, &QAction::triggered, this, [this] { cmdDispSensor_Click(); });
    connect(Quit, &QAction::triggered, this, [this] { Quit_Click(); });
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
    cmdDispBmp->setText(QStringLiteral("点表示"));
    chkSound->setChecked(true);
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
    ClearDisplay(*layout_);
}

void frmDemo::cmdQuit_Click() {
    close();
}

void frmDemo::Quit_Click() {
    emit endProgram();
}

void frmDemo::closeEvent(QCloseEvent* event) {
    event->accept();
}

}  // namespace korvi

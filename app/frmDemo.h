// The main window: the control catalogue, the menus and the toggle captions. It creates the
// controls and forwards their events to the subsystems, which hold the logic: the layout model,
// the press display, the sound rules, CSV recording and the exchange with the controller.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "layout/SensorLayout.h"
#include "platform/SerialPorts.h"
#include "platform/Widgets.h"

namespace korvi {

struct ProgramContext;
class PressDisplay;
class SoundRules;
class SoundTimer;
class CsvRecorder;
class CommunicationControl;
class ComDataMonitor;
class ReceiveEvent;
class DragController;
class LayoutEditor;
class PortEnumerator;
class RememberedPort;
class ReplayControl;
class frmReplay;
class frmStatistics;
class CentreOverlay;
class PressStatistics;
class PressureHistory;
class Publisher;
struct PublishTargets;
struct Reading;

class frmDemo : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmDemo(ProgramContext& context, QWidget* parent = nullptr);
    ~frmDemo() override;

    static QString Title();

    // The load sequence; false when the window must close (no draw-setting file).
    bool Load();
    // Adds the existing draw-setting files to the list; returns their count.
    int16_t FillDrawSettingList();

    SensorLayout& layout() { return *layout_; }
    FormSurface& form() { return *form_; }
    PressDisplay& display() { return *display_; }
    LayoutEditor& editor() { return *editor_; }
    CsvRecorder& csv() { return *csv_; }
    CommunicationControl& comm() { return *comm_; }
    SoundRules& soundRules() { return *soundRules_; }
    SoundTimer& soundTimer() { return *soundTimer_; }
    ComDataMonitor& monitor() { return *monitor_; }
    ReplayControl& replay() { return *replay_; }
    // The replay bar while a recording is open, else null.
    frmReplay* replayBar() const { return replayBar_; }

    // Controls of the button panel, named as in the catalogue.
    PictureBox* picButtonBox = nullptr;
    QPushButton* cmdComm = nullptr;
    QComboBox* cboDrawSetting = nullptr;
    QPushButton* btnSaveCsv = nullptr;
    QPushButton* cmdComData = nullptr;
    QPushButton* cmdDispBmp = nullptr;
    QCheckBox* chkTrace = nullptr;
    QCheckBox* chkSound = nullptr;
    QPushButton* cmdCls = nullptr;
    QPushButton* cmdDispSensor = nullptr;
    QPushButton* cmdRotate = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdQuit = nullptr;
    QPushButton* cmdFude = nullptr;

    // Menu items.
    QAction* SensSave = nullptr;
    QAction* SensRead = nullptr;
    QAction* Quit = nullptr;
    QAction* DispClr = nullptr;
    QAction* CoseDisp = nullptr;
    QAction* SensFrameDisp = nullptr;
    QAction* SensRotate = nullptr;
    QAction* DispPoint = nullptr;
    QAction* DataWindow = nullptr;
    QAction* PortSelect = nullptr;
    QAction* ReplayRecord = nullptr;
    QAction* SavePicture = nullptr;
    QAction* Statistics = nullptr;
    QAction* PeakMap = nullptr;     // "最大値表示", checkable
    QAction* Publish = nullptr;     // "外部出力..."
    QAction* OpenViewer = nullptr;  // "ライブビューを開く"
    // "最近使った配置": the last layouts loaded or saved, newest first.
    QMenu* RecentLayoutMenu = nullptr;

    // The link's health while communicating (port, rate, refused lines, CSV state), and beside it
    // the notices of the moment, so that a notice never hides the live fields.
    QLabel* statusLink = nullptr;
    QLabel* statusNotice = nullptr;
    // What is published and to how many WebSocket clients; hidden while nothing is.
    QLabel* statusPublish = nullptr;

    // Button actions (menu items forward to them).
    void cmdDispSensor_Click();
    void cmdCls_Click();
    void cmdDispBmp_Click();
    void DispPoint_Click();
    void chkTrace_Click();
    void CoseDisp_Click();
    void cmdComData_Click();
    void cmdQuit_Click();
    void Quit_Click();
    // Opens the port list; its choice applies from the next start of communication.
    void PortSelect_Click();

    // The ports the port list shows (the system's own unless a test gives others).
    void SetPortEnumerator(const PortEnumerator& ports) { ports_ = &ports; }
    // A port for this run only (the command line's --port), not remembered.
    void UsePortForThisRun(const QString& device);
    // The port the next start opens and where it comes from, as the status bar says it.
    QString PortText() const;
    // The device Setting.ini's port opens; empty while a port must first be chosen in the list.
    QString SettingsDevice() const;
    void ReplayRecord_Click();
    void SavePicture_Click();
    // "統計...": opens the statistics window (made on first use).
    void Statistics_Click();
    // A new session for the statistics: 表示クリア, 通信開始, a replay opened or rewound.
    void ClearStatistics();
    // The peak map on or off, with the menu item and the statistics window's button in step.
    void SetPeakMap(bool on);
    const PressStatistics& statistics() const { return *stats_; }
    frmStatistics* statisticsWindow() const { return statisticsWindow_; }

    // "外部出力...": the outputs, remembered per user and applied at once.
    void Publish_Click();
    // The outputs for this run only (the command line's), not remembered.
    void PublishThisRun(const PublishTargets& targets);
    // Opens the shipped live view in the desktop's browser, pointed at the WebSocket port.
    void OpenViewer_Click();
    Publisher& publisher() { return *publisher_; }

    // Text of the status bar's live fields (also read by tests).
    QString StatusText() const;
    // Shows a notice ("音声出力装置が見つかりません。...", the first start's) in its own field of
    // the status bar for `timeoutMs`.
    void ShowNotice(const QString& text, int timeoutMs);

  signals:
    // The program must end at once, without the unload sequence (menu Quit).
    void endProgram();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildButtonBox();
    void buildMenus();
    void buildSubsystems();
    bool PrepareStart();
    void ShowCommunicating(bool communicating);
    void UpdateStatus();
    // A reading on its way to the display and the sound rules (not to the recording); `audible`
    // false keeps it silent.
    void ShowReading(const Reading& r, bool audible);
    void buildReplay();
    void EndReplay();
    // Lists the recent layouts in their menu; an empty list leaves the menu disabled.
    void FillRecentLayoutMenu();

    ProgramContext& context_;
    FormSurface* form_ = nullptr;
    std::unique_ptr<SensorLayout> layout_;
    std::unique_ptr<DragController> drag_;
    std::unique_ptr<LayoutEditor> editor_;
    std::unique_ptr<PressDisplay> display_;
    std::unique_ptr<SoundRules> soundRules_;
    std::unique_ptr<SoundTimer> soundTimer_;
    std::unique_ptr<CsvRecorder> csv_;
    std::unique_ptr<ComDataMonitor> monitor_;
    std::unique_ptr<ReceiveEvent> onComm_;
    std::unique_ptr<CommunicationControl> comm_;
    std::unique_ptr<ReplayControl> replay_;
    // The session's figures and pressure history, fed by every reading shown, live or replayed.
    std::unique_ptr<PressStatistics> stats_;
    std::unique_ptr<PressureHistory> history_;
    frmStatistics* statisticsWindow_ = nullptr;
    CentreOverlay* centreOverlay_ = nullptr;
    // Hands every reading shown to the outputs of 外部出力.
    std::unique_ptr<Publisher> publisher_;
    frmReplay* replayBar_ = nullptr;
    QString commToolTip_;  // cmdComm's tooltip before a replay replaced it
    QTimer statusTimer_;
    QTimer noticeTimer_;
    int64_t lastReadingCount_ = 0;
    int64_t readingsPerSecond_ = 0;
    // The device picked from the port list (empty: Setting.ini's port), remembered per user.
    std::unique_ptr<RememberedPort> rememberedPort_;
    QString chosenPort_;
    PortIdentity chosenIdentity_;  // the chosen adapter's, when picked from the list
    PortIdentity portIdentity_;    // the running exchange's adapter, found again by it
    QString portInUse_;            // PortText() of the running exchange
    std::unique_ptr<PortEnumerator> systemPorts_;
    const PortEnumerator* ports_ = nullptr;
};

}  // namespace korvi

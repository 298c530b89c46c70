// The main window: the control catalogue, the menus and the toggle captions. It creates the
// controls and forwards their events to the subsystems; the subsystems hold the logic.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <memory>

#include "layout/SensorLayout.h"
#include "platform/Widgets.h"

namespace korvi {

struct ProgramContext;

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

    QLabel* statusLink = nullptr;

    // Button actions (menu items forward to them).
    void cmdDispSensor_Click();
    void cmdCls_Click();
    void cmdQuit_Click();
    void Quit_Click();

  signals:
    // The program must end at once, without the unload sequence (menu Quit).
    void endProgram();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildButtonBox();
    void buildMenus();

    ProgramContext& context_;
    FormSurface* form_ = nullptr;
    std::unique_ptr<SensorLayout> layout_;
};

}  // namespace korvi

// The replay bar: a small tool window beside the main window with play/pause, a step of one row,
// the rate in rows per second, a slider to seek and "全 N 行中 n 行目". Closing it ends the replay.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>
#include <functional>

#include "app/ToolWindow.h"

namespace korvi {

class ReplayControl;

class frmReplay : public ToolWindow<QWidget> {
    Q_OBJECT
  public:
    // `onClose` runs when the bar is closed (its button or the window's close).
    frmReplay(ReplayControl& replay, std::function<void()> onClose, QWidget* parent);

    // Shows the file's name in the title and the replay's state in the controls.
    void SetFileName(const QString& name);

    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdStep = nullptr;
    QSpinBox* txtRate = nullptr;
    QSlider* sldPosition = nullptr;
    QLabel* lblPosition = nullptr;
    QPushButton* cmdClose = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Refresh();

    ReplayControl& replay_;
    std::function<void()> onClose_;
};

}  // namespace korvi

// The statistics window ("統計"): the session's figures per placed sensor, the whole layout's
// centre of pressure now, and "統計保存..." to keep the table as a CSV file. It reads the figures
// the reading path gathers and redraws twice a second while it is shown.
#pragma once

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <array>
#include <vector>

#include "app/ToolWindow.h"

namespace korvi {

class Clock;
class FileDialogs;
class MessageBoxes;
class PressStatistics;
class PressureHistory;
class SensorLayout;

// Pressure over time: the last seconds of the ticked sensors' pressure, one line per sensor in a
// colour of its own, 0 at the bottom and 255 at the top.
class PressureChart : public QWidget {
    Q_OBJECT
  public:
    PressureChart(const PressureHistory& history, const Clock& clock, QWidget* parent);
    std::array<bool, 16> ticked{};
    uint32_t spanMs = 10000;
    static QColor SensorColour(int sensor);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Brings the chart's picture up to `nowMs`: shifted left by the columns that passed and only
    // the newest columns drawn, or drawn whole when its size, span, ticks or history changed.
    void Render(uint32_t nowMs);

    const PressureHistory& history_;
    const Clock& clock_;
    // One column per pixel inside the chart's border, the newest on the right.
    QImage image_;
    std::vector<int> samples_;  // a sensor's 10 ms steps being drawn, kept between redraws
    int64_t lastColumn_ = 0;    // the newest column drawn, counted from the clock's start
    std::array<bool, 16> drawnTicked_{};
    uint64_t drawnClears_ = 0;
    uint32_t drawnSpanMs_ = 0;
};

class frmStatistics : public ToolWindow<QWidget> {
    Q_OBJECT
  public:
    frmStatistics(const PressStatistics& stats, const PressureHistory& history,
                  const SensorLayout& layout, const Clock& clock, FileDialogs& dialogs,
                  MessageBoxes& boxes, QString appFolder, QWidget* parent);

    // The first column's boxes tick the sensors the chart draws.
    QTableWidget* tblStatistics = nullptr;
    QLabel* lblCentre = nullptr;
    // The centre's cross and path on the base plate, and how many seconds of path show (1 to
    // 60, 3 at start).
    QCheckBox* chkCentrePath = nullptr;
    QSpinBox* txtPathSpan = nullptr;
    // "最大値表示": the peak map on or off, in step with the 表示 menu's item.
    QPushButton* cmdPeakMap = nullptr;
    QSpinBox* txtChartSpan = nullptr;  // seconds shown, 1 to 60
    PressureChart* picChart = nullptr;
    QPushButton* cmdSaveStatistics = nullptr;

    // Fills the table and the centre from the figures as they stand.
    void Refresh();
    // "統計保存...": the table as CSV (Shift-JIS, CR LF), to a file the user chooses, and the
    // chart as a PNG file of the same name beside it.
    void SaveStatistics();

  signals:
    void centrePathToggled(bool on);
    void pathSpanChanged(int seconds);
    void peakMapToggled(bool on);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    const PressStatistics& stats_;
    const SensorLayout& layout_;
    const Clock& clock_;
    FileDialogs& dialogs_;
    MessageBoxes& boxes_;
    QString appFolder_;
    QTimer refreshTimer_;
    QTimer chartTimer_;
};

}  // namespace korvi

// The statistics window ("統計"): the session's figures per placed sensor, the whole layout's
// centre of pressure now, and "統計保存..." to keep the table as a CSV file. It reads the figures
// the reading path gathers and redraws twice a second while it is shown.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/ToolWindow.h"

namespace korvi {

class Clock;
class FileDialogs;
class MessageBoxes;
class PressStatistics;
class SensorLayout;

class frmStatistics : public ToolWindow<QWidget> {
    Q_OBJECT
  public:
    frmStatistics(const PressStatistics& stats, const SensorLayout& layout, const Clock& clock,
                  FileDialogs& dialogs, MessageBoxes& boxes, QString appFolder, QWidget* parent);

    QTableWidget* tblStatistics = nullptr;
    QLabel* lblCentre = nullptr;
    QPushButton* cmdSaveStatistics = nullptr;

    // Fills the table and the centre from the figures as they stand.
    void Refresh();
    // "統計保存...": the table as CSV (Shift-JIS, CR LF), to a file the user chooses.
    void SaveStatistics();

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
};

}  // namespace korvi

// The port list ("ポート選択..."): the serial ports the system reports, with their description,
// maker and USB ids, and a field for any device path (a pseudo-terminal of the simulator, for
// example). Picking a row puts its device into the field; the field is the choice, and an empty
// field leaves the port to Setting.ini.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "platform/SerialPorts.h"

#include "app/ToolWindow.h"

namespace korvi {

class frmPortSelect : public ToolWindow<QDialog> {
    Q_OBJECT
  public:
    // `current` is the device chosen so far (empty for none); `settingsPort` the device
    // Setting.ini's port opens, shown as what an empty field means (empty when it names none).
    frmPortSelect(const PortEnumerator& ports, const QString& current, const QString& settingsPort,
                  QWidget* parent = nullptr);

    // The device to use from the next start of communication; empty for Setting.ini's port.
    QString ChosenDevice() const;
    // The USB identity of the listed port the field names (unknown for a typed path), so that
    // the adapter is found again under another name.
    PortIdentity ChosenIdentity() const;
    // Lists the ports again (the 更新 button).
    void FillPortList();

    QTableWidget* lstPorts = nullptr;
    QLineEdit* txtDevice = nullptr;
    QLabel* lblNoPorts = nullptr;
    // "接続が切れたら自動で再接続する"; the window sets it and reads it back on OK.
    QCheckBox* chkReconnect = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  private:
    const PortEnumerator& ports_;
    std::vector<SerialPortEntry> listed_;
};

}  // namespace korvi

// "外部出力": which outputs publish the presses (OSC, TUIO cursors, the WebSocket feed) and where
// to. OK checks the fields and hands the choice over; the window stays open on a field that does
// not read, saying which.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>

#include "app/ToolWindow.h"
#include "publish/PublishTargets.h"

namespace korvi {

// The live view shipped with the program (share/korvisensor/web/viewer.html beside the
// executable's folder, as installed and as in the build folder).
QString ViewerPagePath();
// The page's address asking it to connect to the WebSocket feed on `port`.
QUrl ViewerUrl(uint16_t port);
// Opens that address in the desktop's browser.
void OpenViewerPage(uint16_t port);

class frmPublish : public ToolWindow<QDialog> {
    Q_OBJECT
  public:
    frmPublish(const PublishTargets& current, QWidget* parent = nullptr);

    // The choice in the fields (valid once OK has closed the window).
    PublishTargets Chosen() const { return chosen_; }

    QCheckBox* chkOsc = nullptr;
    QLineEdit* txtOsc = nullptr;
    QCheckBox* chkTuio = nullptr;
    QLineEdit* txtTuio = nullptr;
    QCheckBox* chkWebSocket = nullptr;
    QSpinBox* txtWebSocketPort = nullptr;
    QCheckBox* chkEveryInterface = nullptr;
    QLineEdit* txtAllowedOrigin = nullptr;
    QLabel* lblProblem = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  private:
    void cmdOK_Click();

    PublishTargets chosen_;
};

}  // namespace korvi

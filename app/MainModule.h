// Start-up: refuse a second copy, settle the application folder (making the user's own from the
// installed demo settings on first start), make SavaData, read Setting.ini, check the bitmap
// folders, and open the main window.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

#include "app/ProgramContext.h"
#include "platform/AppFolder.h"

namespace korvi {

class frmDemo;

class MainModule {
  public:
    // `folder` says where the application folder is (by default from the environment, the
    // executable and the user's data location).
    MainModule(MessageBoxes& boxes, FileDialogs& dialogs, SoundOutput& sound, Clock& clock,
               SerialLine& serial, ApplicationFolderPlan folder = PlanApplicationFolder());
    ~MainModule();

    // Runs the start-up steps and shows the main window. False when the program must end (the
    // reason has been shown to the user).
    bool Main();
    frmDemo* window() const { return window_.get(); }
    ProgramContext& context() { return context_; }
    // What the status bar said once at start (the user's folder was made), empty otherwise.
    const QString& StartNotice() const { return startNotice_; }

  private:
    bool RefuseSecondCopy();

    ProgramContext context_;
    ApplicationFolderPlan folder_;
    QString startNotice_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<frmDemo> window_;
};

}  // namespace korvi

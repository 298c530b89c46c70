// Start-up: refuse a second copy, make SavaData, read Setting.ini, check the bitmap folders, and
// open the main window.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

#include "app/ProgramContext.h"

namespace korvi {

class frmDemo;

class MainModule {
  public:
    MainModule(MessageBoxes& boxes, FileDialogs& dialogs, SoundOutput& sound, Clock& clock,
               SerialLine& serial);
    ~MainModule();

    // Runs the start-up steps and shows the main window. False when the program must end (the
    // reason has been shown to the user).
    bool Main();
    frmDemo* window() const { return window_.get(); }
    ProgramContext& context() { return context_; }

  private:
    bool RefuseSecondCopy();

    ProgramContext context_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<frmDemo> window_;
};

}  // namespace korvi

// Start-up: refuse a second copy, settle the application folder (making the user's own from the
// installed demo settings on first start), make SavaData, read Setting.ini, check the bitmap
// folders, and open the main window.
#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/ProgramContext.h"
#include "platform/AppFolder.h"
#include "publish/PublishTargets.h"

namespace korvi {

class frmDemo;

// What the command line asks of this run (nothing of it is remembered).
struct StartOptions {
    QString port;            // --port: the device to open, for this run only
    QString layout;          // --layout: a layout file loaded at start
    int drawSetting = 0;     // --draw-setting N: DrawSettingN (0: the list's first)
    bool start = false;      // --start: communicate once the window shows, as 通信開始 would
    bool record = false;     // --record: record to CSV from that start
    bool reconnect = false;  // --reconnect: a lost line is reconnected this run
    bool fullscreen = false;
    // --osc HOST:PORT, --tuio HOST:PORT, --websocket PORT: what this run publishes (in place of
    // the remembered choice) when any is given.
    UdpTarget osc;
    UdpTarget tuio;
    uint16_t websocketPort = 0;  // 0: no WebSocket feed
};

// Reads the program's arguments (without the program name). Run: `options` are filled in; Exit:
// `text` is the help or the version, to print before ending well; Error: `text` says what is
// wrong.
enum class CommandLine { Run, Exit, Error };
CommandLine ParseCommandLine(const QStringList& arguments, StartOptions& options, QString& text);

class MainModule {
  public:
    // `folder` says where the application folder is (by default from the environment, the
    // executable and the user's data location).
    MainModule(MessageBoxes& boxes, FileDialogs& dialogs, SoundOutput& sound, Clock& clock,
               SerialLine& serial, ApplicationFolderPlan folder = PlanApplicationFolder());
    ~MainModule();

    // Runs the start-up steps and shows the main window. False when the program must end (the
    // reason has been shown to the user).
    bool Main(const StartOptions& options = {});
    frmDemo* window() const { return window_.get(); }
    ProgramContext& context() { return context_; }
    // What the status bar said once at start (the user's folder was made), empty otherwise.
    const QString& StartNotice() const { return startNotice_; }

  private:
    bool RefuseSecondCopy();
    void Apply(const StartOptions& options);

    ProgramContext context_;
    ApplicationFolderPlan folder_;
    QString startNotice_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<frmDemo> window_;
};

}  // namespace korvi

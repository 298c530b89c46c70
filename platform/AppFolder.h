// The application folder: where Setting.ini, the draw-setting files and SavaData live.
// KORVISENSOR_HOME names it when set (the demo, tests, several setups side by side); otherwise the
// executable's folder when it holds Setting.ini (a portable copy), else the user's data folder,
// which the first start fills from the demo settings installed with the program.
#pragma once

#include <QString>

namespace korvi {

enum class FolderSource { Environment, Portable, UserData };

struct ApplicationFolderPlan {
    QString path;
    FolderSource source = FolderSource::Environment;
    // The demo settings installed with the program, copied into a user data folder on first start.
    QString demoFolder;
};

// The choice made from its three inputs: KORVISENSOR_HOME's value (empty when unset), the folder of
// the executable and the user's data folder.
ApplicationFolderPlan ChooseApplicationFolder(const QString& home, const QString& executableFolder,
                                              const QString& userDataFolder);
// The same for the running program: its environment, its executable and the user's data location
// (~/.local/share/KorviSensor on Linux).
ApplicationFolderPlan PlanApplicationFolder();
QString ApplicationFolder();

// The demo settings installed beside the program: share/korvisensor/demo next to bin/, so that an
// installed tree works wherever it was unpacked.
QString InstalledDemoFolder(const QString& executableFolder);

// The folder, a separator and a name; settings written on Windows name sub-folders with
// backslashes, which are turned into the platform's separators here.
QString InApplicationFolder(const QString& folder, const QString& name);
// A path as written in a settings file (possibly with backslashes), made usable on this platform.
QString NativePath(const QString& path);

// A folder or file named in a settings file: absolute as written, or relative to `folder`.
QString ResolvePath(const QString& folder, const QString& path);

}  // namespace korvi

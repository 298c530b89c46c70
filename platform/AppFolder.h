// The application folder: where Setting.ini, the draw-setting files and SavaData live. It is the
// executable's folder unless KORVISENSOR_HOME names another (installed copies, the demo, tests).
#pragma once

#include <QString>

namespace korvi {

QString ApplicationFolder();
// The folder, a separator and a name; settings written on Windows name sub-folders with
// backslashes, which are turned into the platform's separators here.
QString InApplicationFolder(const QString& folder, const QString& name);
// A path as written in a settings file (possibly with backslashes), made usable on this platform.
QString NativePath(const QString& path);

// A folder or file named in a settings file: absolute as written, or relative to `folder`.
QString ResolvePath(const QString& folder, const QString& path);

}  // namespace korvi

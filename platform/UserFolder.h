// The first start of an installed program: the user's own application folder is made from the demo
// settings installed with the program, so that it starts at once and every file can be edited.
#pragma once

#include <QString>

namespace korvi {

enum class UserFolderResult {
    Reused,   // the folder already holds Setting.ini: nothing is touched
    Created,  // the demo settings were copied in
    NoDemo,   // no demo settings to copy: the folder exists, start-up reports what is missing
};

// Makes sure `folder` exists. When it holds no Setting.ini yet, copies every file and sub-folder
// of `demoFolder` into it (files already there are kept) and leaves the serial device for the user
// to choose: an active Device line of the demo's Setting.ini is not copied.
UserFolderResult PrepareUserFolder(const QString& folder, const QString& demoFolder);

}  // namespace korvi

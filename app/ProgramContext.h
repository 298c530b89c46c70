// What the program owns for its whole run: the settings, the seams to the toolkit, and the
// application folder. Created by Main and passed to the main window; there are no globals.
#pragma once

#include <QString>

#include "settings/DrawSetting.h"
#include "settings/Settings.h"

namespace korvi {

class MessageBoxes;
class FileDialogs;
class SoundOutput;
class Clock;

struct ProgramContext {
    QString appFolder;
    Settings settings;
    DrawSetting drawSetting;
    MessageBoxes& boxes;
    FileDialogs& dialogs;
    SoundOutput& sound;
    Clock& clock;
};

}  // namespace korvi

// What the program owns for its whole run: the settings, the receive queue, and the seams to the
// toolkit (message boxes, file dialogs, sound, clock, serial line). Created by Main and passed to
// the main window; there are no globals.
#pragma once

#include <QString>

#include "link/BufferClass.h"
#include "link/LineProtocol.h"
#include "settings/DrawSetting.h"
#include "settings/Settings.h"

namespace korvi {

class MessageBoxes;
class FileDialogs;
class SoundOutput;
class Clock;
class SerialLine;

struct ProgramContext {
    QString appFolder;
    Settings settings;
    DrawSetting drawSetting;
    BufferClass RxBuffer;
    ReceiveState receive;
    MessageBoxes& boxes;
    FileDialogs& dialogs;
    SoundOutput& sound;
    Clock& clock;
    SerialLine& serial;
    // Setting.ini's port is only the demo's placeholder (the user's own folder, made from the
    // demo): communication waits until a port is chosen in the port list.
    bool portMustBeChosen = false;
};

}  // namespace korvi

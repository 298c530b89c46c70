#include "platform/QtSoundOutput.h"

namespace korvi {

QtSoundOutput::QtSoundOutput() = default;
QtSoundOutput::~QtSoundOutput() = default;

void QtSoundOutput::tone(int, int) {}

bool QtSoundOutput::playFile(const QString&) {
    return false;
}

}  // namespace korvi

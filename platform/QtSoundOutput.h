// Sound through Qt Multimedia: tones are synthesised and played on an audio sink, files are played
// with a sound effect. Nothing waits for a sound to end; without an audio device the program stays
// silent and says so once.
#pragma once

#include "platform/SoundOutput.h"

namespace korvi {

class QtSoundOutput : public SoundOutput {
  public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    void tone(int frequencyHz, int durationMs) override;
    bool playFile(const QString& path) override;
};

}  // namespace korvi

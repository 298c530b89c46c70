// Sound output: a tone of f Hz for n ms, and a sound file played asynchronously. Neither call
// ever blocks the caller; a new sound may cut off the one still playing.
#pragma once

#include <QString>

namespace korvi {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    virtual void tone(int frequencyHz, int durationMs) = 0;
    // Starts playing a file; false when it cannot be played (the caller ignores that).
    virtual bool playFile(const QString& path) = 0;
};

}  // namespace korvi

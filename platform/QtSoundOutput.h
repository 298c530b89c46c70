// Sound through Qt Multimedia: tones are synthesised and played on an audio sink, files are played
// with a sound effect. Nothing waits for a sound to end; without an audio device the program stays
// silent and says so once.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/SoundOutput.h"

namespace korvi {

class QtSoundOutput : public SoundOutput {
  public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    QtSoundOutput(const QtSoundOutput&) = delete;
    QtSoundOutput& operator=(const QtSoundOutput&) = delete;

    // A sine tone. A tone asked for while the previous one is still sounding is merged into it,
    // so a fast stream of beeps costs one tone per tone length.
    void tone(int frequencyHz, int durationMs) override;
    // Starts a WAV file; a new sound cuts off the previous one. False when the file is missing or
    // is not a WAV file that can be played; true when it is accepted, even without a device.
    bool playFile(const QString& path) override;

    // Receives the one notice that no audio device can be used (the window shows it in its
    // status bar); without a handler the notice is a warning on the console.
    void setNoticeHandler(std::function<void(const QString&)> handler);
    // True once it is known that no sound can be made.
    bool isSilent() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace korvi

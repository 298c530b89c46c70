// Recording fakes for the seams a test cannot own: message boxes, file dialogs and sound.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/MessageBoxes.h"
#include "platform/SoundOutput.h"

namespace korvi::test {

struct ShownBox {
    QString text;
    QString title;
    BoxIcon icon;
};

class RecordingMessageBoxes : public MessageBoxes {
  public:
    void show(const QString& text, const QString& title, BoxIcon icon) override {
        shown.push_back({text, title, icon});
    }
    std::vector<ShownBox> shown;
};

// Answers each dialog with the next queued path; an empty queue answers "cancelled".
class ScriptedFileDialogs : public FileDialogs {
  public:
    std::optional<QString> saveFile(const FileDialogOptions& options) override {
        return next(options);
    }
    std::optional<QString> openFile(const FileDialogOptions& options) override {
        return next(options);
    }
    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogOptions> asked;

  private:
    std::optional<QString> next(const FileDialogOptions& options) {
        asked.push_back(options);
        if (answers.empty()) {
            return std::nullopt;
        }
        // Swapped out rather than copied: GCC's optimiser takes a copy of an optional QString
        // for a read of uninitialised memory.
        std::optional<QString> answer;
        answer.swap(answers.front());
        answers.pop_front();
        return answer;
    }
};

struct Tone {
    int frequencyHz;
    int durationMs;
};

class RecordingSound : public SoundOutput {
  public:
    void tone(int frequencyHz, int durationMs) override {
        tones.push_back({frequencyHz, durationMs});
    }
    bool playFile(const QString& path) override {
        played << path;
        return true;
    }
    std::vector<Tone> tones;
    QStringList played;
};

}  // namespace korvi::test

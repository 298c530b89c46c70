// The unattended demo: the real program on a real screen, driven as a person would drive it. It
// loads the demo layout through the layout editor's load command, switches the trace on, clicks
// "通信開始", records the readings to CSV, saves a picture of the screen every second, then stops
// and hands over the recording. Also builds the demo layout itself with the mouse, so the bundled
// layout file can be made again with the program's own save command.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QTextStream>
#include <deque>
#include <functional>
#include <optional>

#include "platform/MessageBoxes.h"

class QWidget;

namespace korvi {

class frmDemo;

// Message boxes that never block an unattended run: each box is written to a stream and counted.
class LoggingMessageBoxes : public MessageBoxes {
  public:
    explicit LoggingMessageBoxes(QTextStream& log) : log_(log) {}
    void show(const QString& text, const QString& title, BoxIcon icon) override;
    int count() const { return count_; }

  private:
    QTextStream& log_;
    int count_ = 0;
};

// File dialogs answered from a queue, in order; an empty queue answers "cancelled".
class QueuedFileDialogs : public FileDialogs {
  public:
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::deque<QString> answers;

  private:
    std::optional<QString> next();
};

// Mouse gestures made of the events Qt delivers for a real hand on the mouse: every event of a
// gesture goes to the pressed widget (the mouse grab) with the pointer's global position.
namespace gesture {

// Press and release without a move, at a point of the widget (pixels).
void Click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Presses `source` at `grab` (its own pixels), moves to `to` (pixels of `over`) and releases
// there: a drag and drop when the source starts one on a move.
void Drag(QWidget* source, QPoint grab, QWidget* over, QPoint to);
// A stretch handle pulled to `to` (pixels of `over`): pressed, moved over itself first as a real
// pointer does, then to the point, and released.
void Stretch(QWidget* handle, QWidget* over, QPoint to);

}  // namespace gesture

// Runs the event loop for a while (timers, serial notifications and painting go on meanwhile).
void Pump(int milliseconds);
// Runs the event loop until `done` holds or the time is up; true when it holds.
bool PumpUntil(const std::function<bool()>& done, int milliseconds);

// The demo layout on the real window: base image 0 laid out as a plate and stretched over the
// free area, sensors 1, 2, 4, 5 and 6 placed on it and enlarged, and sensor 3 merged into
// sensor 1. Needs the window shown and MergeMode on.
void BuildDemoLayout(frmDemo& window);

// One unattended run: what it does, step by step, is in the file comment above.
class DemoDriver {
  public:
    DemoDriver(frmDemo& window, QueuedFileDialogs& dialogs, QString appFolder, QString outDir,
               QTextStream& log);
    // 0 on success; otherwise the reason has been written to the log.
    int Run(int seconds);

  private:
    bool LoadLayout();
    bool StartCommunication();
    void StopCommunication();
    bool HandOverRecording();

    frmDemo& window_;
    QueuedFileDialogs& dialogs_;
    QString appFolder_;
    QString outDir_;
    QTextStream& log_;
};

}  // namespace korvi

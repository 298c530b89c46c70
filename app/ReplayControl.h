// Playing a recording back: its rows go, one by one, through the same path as the controller's
// readings, at a rate in rows per second, with pause, a step of one row and seeking.
//
// The pace is kept by elapsed time, not by counting timer ticks: each tick shows every row that
// is due since the point where playing (re)started, so a late or coarse timer never slows the
// replay down.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "recording/RecordingReader.h"

namespace korvi {

class Clock;

class ReplayControl : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 10;
    // The longest a tick spends showing rows before the window gets its turn.
    static constexpr int kSliceMs = 20;
    static constexpr int kMinRate = 1;
    static constexpr int kMaxRate = 100000;

    struct Hooks {
        // Back to an empty display: cleared, no last marks, no trace, no collected readings.
        std::function<void()> rewind;
        // One row as a reading; `audible` is false while seeking redraws the rows before the
        // new position (no beeps, no sound rules).
        std::function<void(const RecordedRow&, bool audible)> row;
        // Playing started or stopped (the periodic sound evaluation follows it).
        std::function<void(bool playing)> playing;
    };

    ReplayControl(const Clock& clock, Hooks hooks, QObject* parent = nullptr);
    ~ReplayControl() override;

    // A new recording: the display is rewound and the replay waits before its first row.
    void Open(std::vector<RecordedRow> rows, int rowsPerSecond);
    // Ends the replay (pauses it and forgets the rows).
    void Close();

    // Plays from the current row; at the end it starts again from the first.
    void Play();
    void Pause();
    // Pauses and shows the next row.
    void Step();
    // Shows the rows before `position` again, on a cleared display; playing continues from there.
    void Seek(int position);
    // Clamped to kMinRate..kMaxRate; takes effect from the current row on.
    void SetRate(int rowsPerSecond);

    bool IsOpen() const { return open_; }
    bool IsPlaying() const { return playing_; }
    // Rows shown so far (the next row to show has this index).
    int Position() const { return position_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int Rate() const { return rate_; }
    // "全 N 行中 n 行目".
    QString PositionText() const;

  signals:
    // Position, playing state or rate changed.
    void changed();

  private:
    void Tick();
    void Restart();
    void SetPlaying(bool playing);
    void Show(int count);

    const Clock& clock_;
    Hooks hooks_;
    std::vector<RecordedRow> rows_;
    bool open_ = false;
    bool playing_ = false;
    int position_ = 0;
    int rate_ = 100;
    // Where the current stretch of playing began: its first row and the clock's tick then.
    int startPosition_ = 0;
    uint32_t startTick_ = 0;
    QTimer tick_;
};

}  // namespace korvi

#include "app/ReplayControl.h"

#include <QElapsedTimer>
#include <algorithm>

#include "platform/Clock.h"

namespace korvi {

ReplayControl::ReplayControl(const Clock& clock, Hooks hooks, QObject* parent)
    : QObject(parent), clock_(clock), hooks_(std::move(hooks)) {
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &ReplayControl::Tick);
}

ReplayControl::~ReplayControl() = default;

void ReplayControl::Open(std::vector<RecordedRow> rows, int rowsPerSecond) {
    SetPlaying(false);
    rows_ = std::move(rows);
    open_ = true;
    position_ = 0;
    rate_ = std::clamp(rowsPerSecond, kMinRate, kMaxRate);
    if (hooks_.rewind) {
        hooks_.rewind();
    }
    emit changed();
}

void ReplayControl::Close() {
    SetPlaying(false);
    rows_.clear();
    rows_.shrink_to_fit();
    open_ = false;
    position_ = 0;
    emit changed();
}

void ReplayControl::Play() {
    if (!open_ || playing_ || rows_.empty()) {
        return;
    }
    if (position_ >= RowCount()) {
        Seek(0);
    }
    SetPlaying(true);
    emit changed();
}

void ReplayControl::Pause() {
    if (playing_) {
        SetPlaying(false);
        emit changed();
    }
}

void ReplayControl::Step() {
    SetPlaying(false);
    if (position_ < RowCount()) {
        Show(1);
    }
    emit changed();
}

void ReplayControl::Seek(int position) {
    if (!open_) {
        return;
    }
    position = std::clamp(position, 0, RowCount());
    if (hooks_.rewind) {
        hooks_.rewind();
    }
    if (hooks_.row) {
        for (int n = 0; n < position; ++n) {
            hooks_.row(rows_[static_cast<size_t>(n)], false);
        }
    }
    position_ = position;
    Restart();
    emit changed();
}

void ReplayControl::SetRate(int rowsPerSecond) {
    rowsPerSecond = std::clamp(rowsPerSecond, kMinRate, kMaxRate);
    if (rowsPerSecond == rate_) {
        return;
    }
    // The rows due at the old rate are shown first, so the change never skips or repeats a row.
    if (playing_) {
        Tick();
    }
    rate_ = rowsPerSecond;
    Restart();
    emit changed();
}

QString ReplayControl::PositionText() const {
    return QStringLiteral("全 %1 行中 %2 行目").arg(RowCount()).arg(position_);
}

void ReplayControl::Tick() {
    if (!playing_) {
        return;
    }
    const uint32_t elapsedMs = clock_.ticks() - startTick_;
    const int64_t due = startPosition_ + int64_t{elapsedMs} * rate_ / 1000;
    const int count = static_cast<int>(std::min<int64_t>(due, RowCount()) - position_);
    // Rows that take longer to show than they are apart fall behind rather than lock the window:
    // a tick works for a bounded time, and the next tick catches up what is still due.
    QElapsedTimer work;
    work.start();
    for (int n = 0; n < count && (n % 64 != 63 || work.elapsed() < kSliceMs); ++n) {
        Show(1);
    }
    if (position_ >= RowCount()) {
        SetPlaying(false);
    }
    if (count > 0 || !playing_) {
        emit changed();
    }
}

void ReplayControl::Restart() {
    startPosition_ = position_;
    startTick_ = clock_.ticks();
}

void ReplayControl::SetPlaying(bool playing) {
    if (playing == playing_) {
        return;
    }
    playing_ = playing;
    if (playing) {
        Restart();
        tick_.start();
    } else {
        tick_.stop();
    }
    if (hooks_.playing) {
        hooks_.playing(playing);
    }
}

void ReplayControl::Show(int count) {
    for (int n = 0; n < count; ++n) {
        if (hooks_.row) {
            hooks_.row(rows_[static_cast<size_t>(position_)], true);
        }
        ++position_;
    }
}

}  // namespace korvi

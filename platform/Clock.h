// The millisecond tick source of the stopwatch: an unsigned 32-bit count that wraps after 2^32 ms.
// The program uses a monotonic counter; tests set the ticks by hand and never sleep.
#pragma once

#include <QElapsedTimer>
#include <cstdint>

namespace korvi {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t ticks() const = 0;
};

class SteadyClock : public Clock {
  public:
    SteadyClock() { timer_.start(); }
    // Offset by one so that a run started in the very first millisecond is not read as "not
    // running" (a start tick of 0 means exactly that).
    uint32_t ticks() const override { return static_cast<uint32_t>(timer_.elapsed()) + 1u; }

  private:
    QElapsedTimer timer_;
};

class ManualClock : public Clock {
  public:
    explicit ManualClock(uint32_t start = 1) : now_(start) {}
    uint32_t ticks() const override { return now_; }
    void set(uint32_t ticks) { now_ = ticks; }
    void advance(uint32_t ms) { now_ += ms; }

  private:
    uint32_t now_;
};

}  // namespace korvi

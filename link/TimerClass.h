// The millisecond stopwatch with a time-out used for each wait of the exchange: the 300 ms reply
// time-out of the handshake and the 500 ms drain wait when stopping.
//
//   TimerClass watch(clock);
//   watch.SetTimeoutTime(300);
//   watch.StartTimer();
//   ... later: if (watch.IsTimeout()) { ... }
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace korvi {

class TimerClass {
  public:
    explicit TimerClass(const Clock& clock) : clock_(clock) {}

    // Starts a new run from 0.
    void StartTimer();
    // Ends the current run and adds it to the accumulated time.
    void StopTimer();
    // Starts a further run, keeping the accumulated time.
    void ResumeTimer();

    double ElapsedTime() const;
    int32_t TimeoutTime() const { return timeoutTime_; }
    void SetTimeoutTime(int32_t ms) { timeoutTime_ = ms; }
    // True once more than TimeoutTime ms have elapsed, unless the stopwatch is stopped.
    bool IsTimeout() const;
    bool IsStopped() const { return isStopped_; }

  private:
    // Milliseconds of the current run, 0 when not running.
    int32_t RunSpan() const;

    const Clock& clock_;
    int32_t accumulated_ = 0;
    uint32_t startTick_ = 0;
    // Kept apart from the start tick: the tick counter legitimately reads 0 once every 2^32 ms,
    // and a run started then must still time out.
    bool running_ = false;
    bool isStopped_ = false;
    int32_t timeoutTime_ = 0;
};

}  // namespace korvi

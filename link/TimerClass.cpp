#include "link/TimerClass.h"

#include <algorithm>
#include <limits>

namespace korvi {

void TimerClass::StartTimer() {
    startTick_ = clock_.ticks();
    running_ = true;
    isStopped_ = false;
    accumulated_ = 0;
}

void TimerClass::StopTimer() {
    const int64_t sum = int64_t{accumulated_} + RunSpan();
    // A stopwatch that runs for 24 days saturates instead of starting again from 0.
    accumulated_ =
        static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
    startTick_ = 0;
    running_ = false;
    isStopped_ = true;
}

void TimerClass::ResumeTimer() {
    startTick_ = clock_.ticks();
    running_ = true;
    isStopped_ = false;
}

int32_t TimerClass::RunSpan() const {
    if (!running_ || isStopped_) {
        return 0;
    }
    // Unsigned subtraction gives the true span across a wrap of the tick counter.
    const uint32_t span = clock_.ticks() - startTick_;
    if (span > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        return 0;
    }
    return static_cast<int32_t>(span);
}

double TimerClass::ElapsedTime() const {
    return static_cast<double>(accumulated_) + static_cast<double>(RunSpan());
}

bool TimerClass::IsTimeout() const {
    return ElapsedTime() > static_cast<double>(timeoutTime_) && !isStopped_;
}

}  // namespace korvi

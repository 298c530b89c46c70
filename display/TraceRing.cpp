#include "display/TraceRing.h"

#include <limits>

namespace korvi {

void TraceRing::Resize(int16_t traceSize) {
    size_ = traceSize > 0 ? traceSize : 0;
    const auto entries = static_cast<size_t>(traceSize >= 0 ? traceSize + 1 : 0);
    TraceSensor.assign(entries, 0);
    TraceMarks.assign(entries, PressMark{});
    Reset();
}

void TraceRing::Reset() {
    ++resets_;
    TraceCount = 0;
    TraceNext = 0;
}

void TraceRing::Store(int16_t panel, const PressMark& mark) {
    if (size_ <= 0) {
        return;
    }
    TraceSensor[TraceNext] = panel;
    TraceMarks[TraceNext] = mark;
    TraceNext = static_cast<int16_t>(NextPosition(TraceNext));
    ++stored_;
    if (TraceCount < std::numeric_limits<int32_t>::max()) {
        ++TraceCount;
    }
}

TraceRing::Span TraceRing::OldestFirst() const {
    if (size_ <= 0) {
        return {};
    }
    if (TraceCount > size_) {
        return {TraceNext, size_};
    }
    return {0, TraceCount};
}

}  // namespace korvi

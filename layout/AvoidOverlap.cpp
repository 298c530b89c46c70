#include "layout/AvoidOverlap.h"

namespace korvi {

namespace {

// How the other rectangle meets the frame along one axis.
enum class Meet { None, CoversStart, Spans, CoversEnd, Within };

struct AxisOverlap {
    Meet meet;
    float size;  // -1 when the rectangles do not meet on this axis
};

// start/length: the frame along one axis; otherStart/otherLength: the other rectangle.
AxisOverlap Measure(float start, float length, float otherStart, float otherLength) {
    const float end = start + length;
    const float otherEnd = otherStart + otherLength;
    if (otherStart <= start && otherEnd >= start) {
        if (end >= otherStart && otherEnd >= end) {
            return {Meet::Spans, length};
        }
        return {Meet::CoversStart, static_cast<float>(otherEnd - start)};
    }
    if (end >= otherStart && otherEnd >= end) {
        return {Meet::CoversEnd, static_cast<float>(end - otherStart)};
    }
    if (otherStart >= start && otherEnd <= end) {
        return {Meet::Within, static_cast<float>(end - otherStart)};
    }
    return {Meet::None, -1.0f};
}

}  // namespace

FrameRect AvoidOverlapRect(FrameRect frame, const std::vector<FrameRect>& others) {
    for (const FrameRect& other : others) {
        const AxisOverlap v = Measure(frame.Top, frame.Height, other.Top, other.Height);
        const AxisOverlap h = Measure(frame.Left, frame.Width, other.Left, other.Width);
        if (h.size < 0 || v.size < 0) {
            continue;
        }
        if (h.size >= v.size) {
            frame.Top = v.meet == Meet::CoversEnd ? static_cast<float>(other.Top - frame.Height)
                                                  : static_cast<float>(other.Top + other.Height);
        } else {
            frame.Left = h.meet == Meet::CoversEnd ? static_cast<float>(other.Left - frame.Width)
                                                   : static_cast<float>(other.Left + other.Width);
        }
    }
    return frame;
}

}  // namespace korvi

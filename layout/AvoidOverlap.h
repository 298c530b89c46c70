// Overlap resolution for placed frames: pushes one frame clear of the other visible frames along
// the axis of the smaller overlap, in one pass over the frames in index order.
#pragma once

#include <vector>

namespace korvi {

// A frame's rectangle in twips: Left, Top, Width, Height as the controls keep them.
struct FrameRect {
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
};

// Moves `frame` out of each rectangle of `others` in turn (others are the visible frames other
// than this one, lowest index first) and returns the result; Width and Height come back as they
// were. Touching edges count as an overlap of 0 and leave the frame where it is; a push that
// lands on a rectangle already passed is not revisited. Sums are rounded to single precision
// before they are compared, as the controls store them.
FrameRect AvoidOverlapRect(FrameRect frame, const std::vector<FrameRect>& others);

}  // namespace korvi

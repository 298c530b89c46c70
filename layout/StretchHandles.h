// Geometry of the eight stretch handles: where each sits around the selected frame or base plate,
// which edges it moves when dragged, and the mouse pointer it shows.
#pragma once

#include <Qt>

#include "layout/AvoidOverlap.h"

namespace korvi {

inline constexpr float kHandleSize = 75;

struct HandlePosition {
    float Left;
    float Top;
};

// Handle h (0 top-left, clockwise to 7 middle of the left edge) lies outside the target, touching
// its corner or the middle of its edge.
HandlePosition PlaceHandle(int h, const FrameRect& target, float handleWidth, float handleHeight);

// The target after handle h was dragged to the pointer (px, py), window twips. The opposite edge
// stays fixed; a pointer on or beyond it, or within a pixel of it, leaves that dimension as it
// was, so the target never flips; a dimension never grows past the largest size a layout file
// holds (kLayoutLargestWidth and kLayoutLargestHeight): the moving edge stops there.
FrameRect ResizeByHandle(int h, const FrameRect& target, float px, float py);

// Resize pointer shown over handle h; any other index gets the default arrow.
Qt::CursorShape HandleCursor(int h);

}  // namespace korvi

#include "layout/StretchHandles.h"

#include <algorithm>

#include "layout/LayoutFile.h"

namespace korvi {

HandlePosition PlaceHandle(int h, const FrameRect& t, float w, float hh) {
    const float left = t.Left - w;
    const float centreX = t.Left + t.Width / 2 - w / 2;
    const float right = t.Left + t.Width;
    const float top = t.Top - hh;
    const float middleY = t.Top + t.Height / 2 - hh / 2;
    const float bottom = t.Top + t.Height;
    switch (h) {
        case 0:
            return {left, top};
        case 1:
            return {centreX, top};
        case 2:
            return {right, top};
        case 3:
            return {right, middleY};
        case 4:
            return {right, bottom};
        case 5:
            return {centreX, bottom};
        case 6:
            return {left, bottom};
        case 7:
            return {left, middleY};
        default:
            return {t.Left, t.Top};
    }
}

FrameRect ResizeByHandle(int h, const FrameRect& target, float px, float py) {
    FrameRect r = target;
    const float right = target.Left + target.Width;
    const float bottom = target.Top + target.Height;
    // A dimension takes a new value only when it is at least a pixel; past the largest size the
    // moving edge stops there. Either way a layout saved after a stretch loads again.
    if (h == 0 || h == 6 || h == 7) {
        const float width = std::min(right - px, kLayoutLargestWidth);
        if (px < right && width >= kLayoutSmallestSize) {
            r.Width = width;
            r.Left = width < kLayoutLargestWidth ? px : right - width;
        }
    } else if (h == 2 || h == 3 || h == 4) {
        const float width = std::min(px - target.Left, kLayoutLargestWidth);
        if (px > target.Left && width >= kLayoutSmallestSize) {
            r.Width = width;
        }
    }
    if (h == 0 || h == 1 || h == 2) {
        const float height = std::min(bottom - py, kLayoutLargestHeight);
        if (py < bottom && height >= kLayoutSmallestSize) {
            r.Height = height;
            r.Top = height < kLayoutLargestHeight ? py : bottom - height;
        }
    } else if (h == 4 || h == 5 || h == 6) {
        const float height = std::min(py - target.Top, kLayoutLargestHeight);
        if (py > target.Top && height >= kLayoutSmallestSize) {
            r.Height = height;
        }
    }
    return r;
}

Qt::CursorShape HandleCursor(int h) {
    switch (h) {
        case 0:
        case 4:
            return Qt::SizeFDiagCursor;
        case 2:
        case 6:
            return Qt::SizeBDiagCursor;
        case 1:
        case 5:
            return Qt::SizeVerCursor;
        case 3:
        case 7:
            return Qt::SizeHorCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace korvi

#include "layout/StretchHandles.h"

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
    if (h == 0 || h == 6 || h == 7) {
        if (px < right) {
            r.Width = right - px;
            r.Left = px;
        }
    } else if (h == 2 || h == 3 || h == 4) {
        if (px > target.Left) {
            r.Width = px - target.Left;
        }
    }
    if (h == 0 || h == 1 || h == 2) {
        if (py < bottom) {
            r.Height = bottom - py;
            r.Top = py;
        }
    } else if (h == 4 || h == 5 || h == 6) {
        if (py > target.Top) {
            r.Height = py - target.Top;
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

#include "app/CentreOverlay.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "layout/SensorLayout.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

CentreOverlay::CentreOverlay(SensorLayout& layout, const Clock& clock, QObject* parent)
    : QObject(parent), layout_(layout), clock_(clock) {
    const auto paintOver = [this](QPainter& painter, const PictureBox& box, const QRegion& area) {
        PaintOver(painter, box, area);
    };
    layout_.picBaseSens->setOverPaint(paintOver);
    for (PictureBox* frame : layout_.picPressSens) {
        frame->setOverPaint(paintOver);
    }
    timer_.setInterval(kSampleMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Sample(); });
}

void CentreOverlay::SetOn(bool on) {
    on_ = on;
    if (on) {
        path_.Clear();
        repaintAll_ = true;
        Sample();
        timer_.start();
    } else {
        timer_.stop();
        if (shown_) {
            shown_ = false;
            Repaint(layerBounds_);
        }
    }
}

void CentreOverlay::SetPathSeconds(int seconds) {
    pathMs_ = static_cast<uint32_t>(std::clamp(seconds, 1, 60)) * 1000u;
    repaintAll_ = true;
    if (on_) {
        Sample();
    }
}

void CentreOverlay::Clear() {
    path_.Clear();
    centre_.reset();
    repaintAll_ = true;
    if (on_) {
        Sample();
    }
}

QPoint CentreOverlay::OnPlate(WindowPoint point) const {
    const PictureBox& plate = *layout_.picBaseSens;
    return {RoundEven32(TwipsToPixels(point.x - plate.Left())),
            RoundEven32(TwipsToPixels(point.y - plate.Top()))};
}

QRect CentreOverlay::CrossArea(QPoint centre) {
    return {centre.x() - kCrossHalf, centre.y() - kCrossHalf, 2 * kCrossHalf + 1,
            2 * kCrossHalf + 1};
}

// The path is repainted where it changed only: repainting the whole plate would repaint the
// plate and every frame on it 20 times a second.
void CentreOverlay::Sample() {
    const PictureBox& plate = *layout_.picBaseSens;
    if (!plate.Visible()) {
        if (shown_) {
            shown_ = false;
            Repaint(layerBounds_);  // off the frames that still show
        }
        repaintAll_ = true;  // drawn anew when the plate shows again
        return;
    }
    if (plate_ != plate.geometry()) {
        if (shown_) {
            Repaint(layerBounds_);  // off the frames where the plate stood
        }
        plate_ = plate.geometry();
        repaintAll_ = true;
    }
    const uint32_t before = now_;
    const std::optional<WindowPoint> oldCentre = centre_;
    now_ = clock_.ticks();
    centre_ = LayoutCentre(layout_);
    path_.Add(now_, centre_);
    QRegion dirty;  // in pixels of the plate
    if (!repaintAll_) {
        dirty = PathChange(before);
        if (oldCentre != centre_) {
            if (oldCentre) {
                dirty += CrossArea(OnPlate(*oldCentre));
            }
            if (centre_) {
                dirty += CrossArea(OnPlate(*centre_));
            }
        }
        if (dirty.isEmpty()) {
            return;
        }
    }
    const QRect drawnBefore = shown_ ? layerBounds_ : QRect();
    RenderLayer();
    shown_ = true;
    if (repaintAll_) {
        repaintAll_ = false;
        dirty = QRegion(drawnBefore) + layerBounds_;
    }
    Repaint(dirty);
}

void CentreOverlay::Repaint(const QRegion& area) {
    if (area.isEmpty()) {
        return;
    }
    layout_.picBaseSens->update(area);
    for (PictureBox* frame : layout_.picPressSens) {
        const QRect place = frame->geometry().translated(-plate_.topLeft());
        if (frame->Visible() && area.intersects(place)) {
            frame->update(area.translated(-place.topLeft()) & frame->rect());
        }
    }
}

void CentreOverlay::PaintOver(QPainter& painter, const PictureBox& box, const QRegion& area) const {
    if (!shown_) {
        return;
    }
    // Where the box lies on the plate, and the part of the picture's drawing it covers.
    const QPoint offset = box.geometry().topLeft() - plate_.topLeft();
    const QRect reach = layerBounds_.translated(-offset) & box.rect();
    if (reach.isEmpty()) {
        return;
    }
    for (const QRect& painted : area) {
        const QRect part = painted & reach;
        if (!part.isEmpty()) {
            painter.drawImage(part.topLeft(), layer_, part.translated(offset));
        }
    }
}

QRegion CentreOverlay::PathChange(uint32_t before) const {
    QRegion change;
    QPoint previous;
    bool joined = false;
    bool previousShownBefore = false;
    bool previousShownNow = false;
    path_.ForEach([&](uint32_t ms, WindowPoint point, bool valid) {
        if (!valid) {
            joined = false;
            return;
        }
        const QPoint here = OnPlate(point);
        const bool shownBefore = ms != now_ && static_cast<uint32_t>(before - ms) <= pathMs_;
        const bool shownNow = static_cast<uint32_t>(now_ - ms) <= pathMs_;
        // A segment ends at `here`: it changed when either end came or went.
        if (shownBefore != shownNow || (joined && previousShownBefore != previousShownNow)) {
            const QPoint from = joined ? previous : here;
            change += QRect(from, here).normalized().adjusted(-1, -1, 1, 1);
        }
        previous = here;
        joined = true;
        previousShownBefore = shownBefore;
        previousShownNow = shownNow;
    });
    return change;
}

// The cross and path are drawn once per change on a transparent picture; a paint of the plate or
// a frame (up to once per display frame) only lays the part of it that lies over what it paints.
void CentreOverlay::RenderLayer() {
    if (layer_.size() != plate_.size()) {
        layer_ = QImage(plate_.size(), QImage::Format_ARGB32_Premultiplied);
        layer_.fill(Qt::transparent);
        layerBounds_ = {};
    }
    // Only the box drawn on last time needs clearing, row by row.
    for (int y = layerBounds_.top(); y <= layerBounds_.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(layer_.scanLine(y));
        std::fill(row + layerBounds_.left(), row + layerBounds_.right() + 1, QRgb{0});
    }
    layerBounds_ = {};
    QPainter p(&layer_);
    p.setPen(ToQColor(kPathColor));
    QPolygon stroke;
    auto flush = [&] {
        // A line leaves out its last pixel: the path's ends are both drawn.
        if (stroke.size() > 1) {
            p.drawPolyline(stroke);
        }
        if (!stroke.isEmpty()) {
            p.drawPoint(stroke.last());
            layerBounds_ |= stroke.boundingRect();
        }
        stroke.clear();
    };
    path_.ForEachSince(now_, pathMs_, [&](WindowPoint point, bool joined) {
        if (!joined) {
            flush();
        }
        stroke.append(OnPlate(point));
    });
    flush();
    if (centre_) {
        const QPoint c = OnPlate(*centre_);
        p.setPen(ToQColor(kCrossColor));
        p.drawLine(c.x() - kCrossHalf, c.y(), c.x() + kCrossHalf, c.y());
        p.drawLine(c.x(), c.y() - kCrossHalf, c.x(), c.y() + kCrossHalf);
        layerBounds_ |= CrossArea(c);
    }
    layerBounds_ &= layer_.rect();
}

}  // namespace korvi

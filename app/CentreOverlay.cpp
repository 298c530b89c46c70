#include "app/CentreOverlay.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "layout/SensorLayout.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

CentreOverlay::CentreOverlay(const SensorLayout& layout, const Clock& clock, QWidget* parent)
    : QWidget(parent), layout_(layout), clock_(clock) {
    setObjectName(QStringLiteral("picCentre"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
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
        hide();
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

bool CentreOverlay::OnTop() const {
    const QObjectList& siblings = parentWidget()->children();
    for (auto it = siblings.crbegin(); it != siblings.crend(); ++it) {
        if ((*it)->isWidgetType()) {
            return *it == this;
        }
    }
    return true;
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
        hide();
        repaintAll_ = true;  // drawn anew when the plate shows again
        return;
    }
    if (plate_ != plate.geometry()) {
        plate_ = plate.geometry();
        repaintAll_ = true;
    }
    // Frames placed or raised later stack above the plate: stay above them all.
    if (!OnTop()) {
        raise();
        repaintAll_ = true;
    }
    const uint32_t before = now_;
    const std::optional<WindowPoint> oldCentre = centre_;
    now_ = clock_.ticks();
    centre_ = LayoutCentre(layout_);
    path_.Add(now_, centre_);
    QRegion dirty;  // in pixels of the plate
    if (repaintAll_) {
        repaintAll_ = false;
        dirty = QRect(QPoint(0, 0), plate_.size());
    } else {
        dirty = PathChange(before);
        if (oldCentre != centre_) {
            if (oldCentre) {
                dirty += CrossArea(OnPlate(*oldCentre));
            }
            if (centre_) {
                dirty += CrossArea(OnPlate(*centre_));
            }
        }
    }
    if (dirty.isEmpty()) {
        return;
    }
    RenderLayer();
    if (layerBounds_.isEmpty()) {
        hide();
        return;
    }
    // The overlay covers only the box around its drawing: a repaint of the plate or a frame
    // elsewhere then has no see-through widget above it to paint as well. Moved or resized, it is
    // repainted whole and what it leaves is repainted beneath it.
    const QRect box = layerBounds_.translated(plate_.topLeft());
    if (geometry() != box) {
        setGeometry(box);
    } else {
        update(dirty.translated(-layerBounds_.topLeft()));
    }
    if (!isVisible()) {
        show();
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

// The cross and path are drawn once per change on a transparent picture; a paint (which comes
// with every repaint of the plate or a frame beneath, up to once per display frame) only lays the
// part of it around what was drawn over what lies beneath.
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

void CentreOverlay::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QPoint offset = layerBounds_.topLeft();
    for (const QRect& area : event->region()) {
        p.drawImage(area.topLeft(), layer_, area.translated(offset));
    }
}

}  // namespace korvi

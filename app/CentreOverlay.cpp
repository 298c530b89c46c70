#include "app/CentreOverlay.h"

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
        drawn_ = {};
        Sample();
        timer_.start();
    } else {
        timer_.stop();
        hide();
    }
}

void CentreOverlay::SetPathSeconds(int seconds) {
    pathMs_ = static_cast<uint32_t>(std::clamp(seconds, 1, 60)) * 1000u;
    update();
}

void CentreOverlay::Clear() {
    path_.Clear();
    centre_.reset();
    update();
}

QPoint CentreOverlay::OnPlate(WindowPoint point) const {
    const PictureBox& plate = *layout_.picBaseSens;
    return {RoundEven32(TwipsToPixels(point.x - plate.Left())),
            RoundEven32(TwipsToPixels(point.y - plate.Top()))};
}

void CentreOverlay::Sample() {
    const PictureBox& plate = *layout_.picBaseSens;
    if (!plate.Visible()) {
        hide();
        return;
    }
    if (geometry() != plate.geometry()) {
        setGeometry(plate.geometry());
    }
    // Frames placed or raised later stack above the plate: stay above them all.
    if (parentWidget()->children().constLast() != this) {
        raise();
    }
    show();
    now_ = clock_.ticks();
    centre_ = LayoutCentre(layout_);
    path_.Add(now_, centre_);
    const QRect area = DrawnArea();
    if (area != drawn_ || !area.isEmpty()) {
        update(area.united(drawn_));
    }
}

QRect CentreOverlay::DrawnArea() const {
    QRect area;
    path_.ForEachSince(now_, pathMs_, [&](WindowPoint p, bool) {
        area = area.united(QRect(OnPlate(p), QSize(1, 1)));
    });
    if (centre_) {
        const QPoint c = OnPlate(*centre_);
        area = area.united(
            QRect(c.x() - kCrossHalf, c.y() - kCrossHalf, 2 * kCrossHalf + 1, 2 * kCrossHalf + 1));
    }
    return area.isEmpty() ? area : area.adjusted(-1, -1, 1, 1);
}

void CentreOverlay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(ToQColor(kPathColor));
    QPolygon stroke;
    auto flush = [&] {
        // A line leaves out its last pixel: the path's ends are both drawn.
        if (stroke.size() > 1) {
            p.drawPolyline(stroke);
        }
        if (!stroke.isEmpty()) {
            p.drawPoint(stroke.last());
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
    }
    drawn_ = DrawnArea();
}

}  // namespace korvi

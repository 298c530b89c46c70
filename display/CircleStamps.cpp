#include "display/CircleStamps.h"

#include <QPainter>
#include <algorithm>

#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

const Stamp& CircleStamps::For(const Key& key) {
    auto found = stamps_.find(key);
    if (found == stamps_.end()) {
        // The circle drawn once on a transparent picture, centred on a whole pixel, as a panel
        // draws it.
        const int centre = std::max(key.radius, 0) + key.drawWidth + 2;
        QImage shape(2 * centre + 1, 2 * centre + 1, QImage::Format_ARGB32_Premultiplied);
        shape.fill(Qt::transparent);
        QPainter painter(&shape);
        QPen pen(ToQColor(key.color));
        pen.setWidth(key.drawWidth);
        painter.setPen(pen);
        if (key.solid) {
            painter.setBrush(ToQColor(key.fill));
        }
        painter.drawEllipse(QPointF(centre, centre), key.radius, key.radius);
        painter.end();
        found = stamps_.emplace(key, Stamp(shape)).first;
    }
    return found->second;
}

void CircleStamps::Draw(Canvas& canvas, double x, double y, int32_t radius, uint32_t color) {
    const bool solid = canvas.fillStyle() == FillStyle::Solid;
    const Stamp& shape =
        For({radius, color, solid ? canvas.fillColor() : 0, solid, canvas.drawWidth()});
    // Marks sit on whole pixels (the plate's twips round to the nearest one).
    const int centre = shape.width() / 2;
    canvas.stamp(shape, RoundEven32(x) - centre, RoundEven32(y) - centre);
}

}  // namespace korvi

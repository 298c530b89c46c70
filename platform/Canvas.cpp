#include "platform/Canvas.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

namespace {

constexpr double kCharWidthTwips = 120.0;
constexpr double kCharHeightTwips = 240.0;

double UnitPixelsX(ScaleMode mode) {
    switch (mode) {
        case ScaleMode::Twips:
            return 1.0 / kTwipsPerPixel;
        case ScaleMode::Characters:
            return kCharWidthTwips / kTwipsPerPixel;
        case ScaleMode::Pixels:
            break;
    }
    return 1.0;
}

double UnitPixelsY(ScaleMode mode) {
    switch (mode) {
        case ScaleMode::Twips:
            return 1.0 / kTwipsPerPixel;
        case ScaleMode::Characters:
            return kCharHeightTwips / kTwipsPerPixel;
        case ScaleMode::Pixels:
            break;
    }
    return 1.0;
}

}  // namespace

QImage WhiteAsTransparent(const QImage& picture) {
    QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < masked.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(row));
        for (int col = 0; col < masked.width(); ++col) {
            if ((line[col] | 0xFF000000u) == qRgb(255, 255, 255)) {
                line[col] = 0;
            }
        }
    }
    return masked;
}

Stamp::Stamp(const QImage& picture) : width_(picture.width()), height_(picture.height()) {
    const QImage premultiplied = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < height_; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(row));
        int col = 0;
        while (col < width_) {
            if (qAlpha(line[col]) != 255) {
                ++col;
                continue;
            }
            const int start = col;
            while (col < width_ && qAlpha(line[col]) == 255) {
                ++col;
            }
            runs_.push_back({row, start, col - start, pixels_.size()});
            pixels_.insert(pixels_.end(), line + start, line + col);
        }
    }
}

Canvas::Canvas(int widthPixels, int heightPixels)
    : image_(std::max(widthPixels, 0), std::max(heightPixels, 0), QImage::Format_RGB32) {
    image_.fill(ToQColor(backColor_));
}

void Canvas::resize(int widthPixels, int heightPixels) {
    landPending();
    widthPixels = std::max(widthPixels, 0);
    heightPixels = std::max(heightPixels, 0);
    if (widthPixels == image_.width() && heightPixels == image_.height()) {
        return;
    }
    QImage next(widthPixels, heightPixels, QImage::Format_RGB32);
    next.fill(ToQColor(backColor_));
    if (!image_.isNull() && !next.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
    changed();
}

uint32_t Canvas::pixel(int x, int y) const {
    landPending();
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) {
        return 0xFFFFFFFFu;
    }
    return FromQColor(QColor::fromRgb(image_.pixel(x, y)));
}

double Canvas::scaleWidth() const {
    return fromPixelsX(image_.width());
}
double Canvas::scaleHeight() const {
    return fromPixelsY(image_.height());
}

double Canvas::toPixelsX(double v) const {
    return v * UnitPixelsX(scaleMode_);
}
double Canvas::toPixelsY(double v) const {
    return v * UnitPixelsY(scaleMode_);
}
double Canvas::fromPixelsX(double px) const {
    return px / UnitPixelsX(scaleMode_);
}
double Canvas::fromPixelsY(double px) const {
    return px / UnitPixelsY(scaleMode_);
}

void Canvas::setBackColor(uint32_t color) {
    landPending();
    backColor_ = color;
    cls();
}

void Canvas::setPicture(const QImage& picture) {
    landPending();
    picture_ = picture;
    cls();
}

void Canvas::cls() {
    landPending();
    // Row by row on this thread: a painter or a fill of a large image would hand the work to the
    // toolkit's thread pool and wait for it, which costs more than it saves here.
    const QRgb fill = ToQColor(backColor_).rgb();
    if (!image_.isNull()) {
        uchar* bits = image_.bits();
        for (int row = 0; row < image_.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(bits + row * image_.bytesPerLine());
            std::fill_n(line, image_.width(), fill);
        }
    }
    if (!picture_.isNull() && !image_.isNull()) {
        QPainter p(&image_);
        p.drawImage(0, 0, picture_);
    }
    currentX_ = 0;
    currentY_ = 0;
    changed();
}

void Canvas::copyFrom(const QImage& picture) {
    landPending();
    if (image_.isNull() || picture.isNull()) {
        return;
    }
    if (picture.size() != image_.size() || picture.format() != image_.format()) {
        QPainter p(&image_);
        p.drawImage(0, 0, picture);
    } else {
        const auto bytes = static_cast<size_t>(image_.width()) * sizeof(QRgb);
        uchar* to = image_.bits();
        const uchar* from = picture.constBits();
        for (int row = 0; row < image_.height(); ++row) {
            std::memcpy(to + row * image_.bytesPerLine(), from + row * picture.bytesPerLine(),
                        bytes);
        }
    }
    changed();
}

void Canvas::circle(double x, double y, double radius, uint32_t color) {
    landPending();
    if (image_.isNull()) {
        return;
    }
    QPainter p(&image_);
    QPen pen(ToQColor(color));
    pen.setWidth(drawWidth_);
    p.setPen(pen);
    if (fillStyle_ == FillStyle::Solid) {
        p.setBrush(ToQColor(fillColor_));
    }
    const double r = toPixelsX(radius);
    p.drawEllipse(QPointF(toPixelsX(x), toPixelsY(y)), r, r);
    changed();
}

void Canvas::line(double x1, double y1, double x2, double y2, uint32_t color) {
    landPending();
    if (image_.isNull()) {
        return;
    }
    QPainter p(&image_);
    QPen pen(ToQColor(color));
    pen.setWidth(drawWidth_);
    p.setPen(pen);
    p.drawLine(QPointF(toPixelsX(x1), toPixelsY(y1)), QPointF(toPixelsX(x2), toPixelsY(y2)));
    currentX_ = x2;
    currentY_ = y2;
    changed();
}

void Canvas::box(double x1, double y1, double x2, double y2, uint32_t color, bool filled) {
    landPending();
    if (image_.isNull()) {
        return;
    }
    const QPointF a(toPixelsX(x1), toPixelsY(y1));
    const QPointF b(toPixelsX(x2), toPixelsY(y2));
    QPainter p(&image_);
    if (filled) {
        p.fillRect(QRectF(a, b).normalized(), ToQColor(color));
    } else {
        QPen pen(ToQColor(color));
        pen.setWidth(drawWidth_);
        p.setPen(pen);
        p.drawRect(QRectF(a, b).normalized());
    }
    changed();
}

void Canvas::paintPicture(const QImage& picture, double x, double y) {
    landPending();
    if (image_.isNull() || picture.isNull()) {
        return;
    }
    QPainter p(&image_);
    p.drawImage(QPointF(toPixelsX(x), toPixelsY(y)), picture);
    changed();
}

void Canvas::paintPicture(const QImage& picture, double x, double y, double width, double height) {
    landPending();
    if (image_.isNull() || picture.isNull()) {
        return;
    }
    QPainter p(&image_);
    p.drawImage(QRectF(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height)), picture);
    changed();
}

void Canvas::stamp(const Stamp& shape, int x, int y) {
    landPending();
    if (image_.isNull()) {
        return;
    }
    const int width = image_.width();
    const int height = image_.height();
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    if (x >= 0 && y >= 0 && x + shape.width_ <= width && y + shape.height_ <= height) {
        for (const Stamp::Run& run : shape.runs_) {
            auto* to = reinterpret_cast<QRgb*>(bits + (y + run.row) * stride) + x + run.col;
            std::memcpy(to, &shape.pixels_[run.first], static_cast<size_t>(run.length) * 4);
        }
    } else {
        // Partly outside: each run clipped to the surface.
        for (const Stamp::Run& run : shape.runs_) {
            const int row = y + run.row;
            const int left = std::max(x + run.col, 0);
            const int right = std::min(x + run.col + run.length, width);
            if (row < 0 || row >= height || left >= right) {
                continue;
            }
            auto* to = reinterpret_cast<QRgb*>(bits + row * stride) + left;
            std::memcpy(to, &shape.pixels_[run.first + static_cast<size_t>(left - x - run.col)],
                        static_cast<size_t>(right - left) * 4);
        }
    }
    changed();
}

void Canvas::paintMasked(const QImage& picture, double x, double y) {
    landPending();
    if (image_.isNull() || picture.isNull()) {
        return;
    }
    const QImage masked = WhiteAsTransparent(picture);
    QPainter p(&image_);
    p.drawImage(QPointF(toPixelsX(x), toPixelsY(y)), masked);
    changed();
}

void Canvas::print(const QString& text) {
    landPending();
    if (image_.isNull()) {
        return;
    }
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(ToQColor(foreColor_));
    const QFontMetricsF metrics(font_);
    const QPointF at(toPixelsX(currentX_), toPixelsY(currentY_));
    p.drawText(at + QPointF(0, metrics.ascent()), text);
    currentY_ += fromPixelsY(metrics.height());
    changed();
}

void Canvas::refresh() {
    // A repaint request changes nothing in the drawing.
    if (changed_ && !holdNotices_) {
        changed_();
    }
}

void Canvas::changed() {
    ++generation_;
    if (changed_ && !holdNotices_) {
        changed_();
    }
}

}  // namespace korvi

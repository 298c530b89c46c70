#include "platform/Canvas.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
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
    setupTiles();
}

void Canvas::resize(int widthPixels, int heightPixels) {
    landPending();
    widthPixels = std::max(widthPixels, 0);
    heightPixels = std::max(heightPixels, 0);
    if (widthPixels == image_.width() && heightPixels == image_.height()) {
        return;
    }
    ++clears_;
    QImage next(widthPixels, heightPixels, QImage::Format_RGB32);
    next.fill(ToQColor(backColor_));
    if (!image_.isNull() && !next.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
    setupTiles();
    touchAll();
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
    ++clears_;
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
    touchAll();
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
        touchAll();
    } else {
        matchPicture(picture);
        screenAll_ = true;
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
    touchAll();
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
    const QPointF from(toPixelsX(x1), toPixelsY(y1));
    const QPointF to(toPixelsX(x2), toPixelsY(y2));
    p.drawLine(from, to);
    currentX_ = x2;
    currentY_ = y2;
    // The pen reaches at most its width beyond the line's ends on every side.
    const double margin = drawWidth_ + 2;
    const QRectF reach = QRectF(from, to)
                             .normalized()
                             .adjusted(-margin, -margin, margin + 1, margin + 1)
                             .intersected(QRectF(image_.rect()));
    if (!std::isfinite(from.x() + from.y() + to.x() + to.y())) {
        touchAll();
    } else if (!reach.isEmpty()) {
        const int left = static_cast<int>(std::floor(reach.left()));
        const int top = static_cast<int>(std::floor(reach.top()));
        touch(left, top, static_cast<int>(std::ceil(reach.right())) - left,
              static_cast<int>(std::ceil(reach.bottom())) - top);
    }
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
        pen.setJoinStyle(Qt::MiterJoin);  // square corners: a wide outline's corners are whole
        p.setPen(pen);
        p.drawRect(QRectF(a, b).normalized());
    }
    touchAll();
    changed();
}

void Canvas::paintPicture(const QImage& picture, double x, double y) {
    landPending();
    if (image_.isNull() || picture.isNull()) {
        return;
    }
    QPainter p(&image_);
    p.drawImage(QPointF(toPixelsX(x), toPixelsY(y)), picture);
    touchAll();
    changed();
}

void Canvas::paintPicture(const QImage& picture, double x, double y, double width, double height) {
    landPending();
    if (image_.isNull() || picture.isNull()) {
        return;
    }
    QPainter p(&image_);
    p.drawImage(QRectF(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height)), picture);
    touchAll();
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
    touch(x, y, shape.width_, shape.height_);
    changed();
}

void Canvas::stampAbove(const Stamp& shape, int x, int y, std::vector<uint8_t>& levels,
                        uint8_t level) {
    landPending();
    const int width = image_.width();
    const int height = image_.height();
    if (image_.isNull() || levels.size() != static_cast<size_t>(width) * height) {
        return;
    }
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (const Stamp::Run& run : shape.runs_) {
        const int row = y + run.row;
        const int left = std::max(x + run.col, 0);
        const int right = std::min(x + run.col + run.length, width);
        if (row < 0 || row >= height || left >= right) {
            continue;
        }
        auto* to = reinterpret_cast<QRgb*>(bits + row * stride);
        uint8_t* at = levels.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        const uint32_t* from = &shape.pixels_[run.first + static_cast<size_t>(left - x - run.col)];
        for (int col = left; col < right; ++col, ++from) {
            if (at[col] < level) {
                at[col] = level;
                to[col] = *from;
            }
        }
    }
    touch(x, y, shape.width_, shape.height_);
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
    touchAll();
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
    touchAll();
    changed();
}

void Canvas::refresh() {
    // A repaint request changes nothing in the drawing.
    if (!holdNotices_) {
        notify(true);
    }
}

void Canvas::setupTiles() {
    tileColumns_ = (image_.width() + kTileSize - 1) / kTileSize;
    const int rows = (image_.height() + kTileSize - 1) / kTileSize;
    touchedTiles_.assign(static_cast<size_t>(tileColumns_ * rows), 0);
    touchedList_.clear();
    screenTiles_.assign(touchedTiles_.size(), 0);
    screenList_.clear();
    allTouched_ = true;
    screenAll_ = true;
}

void TileSet::reset(int widthPixels, int heightPixels) {
    width_ = std::max(widthPixels, 0);
    height_ = std::max(heightPixels, 0);
    columns_ = (width_ + kSize - 1) / kSize;
    marks_.assign(static_cast<size_t>(columns_ * ((height_ + kSize - 1) / kSize)), 0);
    list_.clear();
}

bool TileSet::range(int x, int y, int width, int height, int& left, int& top, int& right,
                    int& bottom) const {
    if (width <= 0 || height <= 0 || x >= width_ || y >= height_ || x > INT_MAX - width ||
        y > INT_MAX - height || x + width <= 0 || y + height <= 0) {
        return false;
    }
    left = std::max(x, 0) / kSize;
    top = std::max(y, 0) / kSize;
    right = (std::min(x + width, width_) - 1) / kSize;
    bottom = (std::min(y + height, height_) - 1) / kSize;
    return true;
}

void TileSet::add(int x, int y, int width, int height) {
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!range(x, y, width, height, left, top, right, bottom)) {
        return;
    }
    for (int ty = top; ty <= bottom; ++ty) {
        for (int tx = left; tx <= right; ++tx) {
            const int tile = ty * columns_ + tx;
            if (marks_[static_cast<size_t>(tile)] == 0) {
                marks_[static_cast<size_t>(tile)] = 1;
                list_.push_back(tile);
            }
        }
    }
}

void TileSet::addInside(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0 || x > INT_MAX - width || y > INT_MAX - height) {
        return;
    }
    // The first tile starting at or after the area's edge, to the last ending within it.
    const int left = (std::max(x, 0) + kSize - 1) / kSize;
    const int top = (std::max(y, 0) + kSize - 1) / kSize;
    const int rows = (height_ + kSize - 1) / kSize;
    const int right = x + width >= width_ ? columns_ - 1 : (x + width) / kSize - 1;
    const int bottom = y + height >= height_ ? rows - 1 : (y + height) / kSize - 1;
    for (int ty = top; ty <= bottom; ++ty) {
        for (int tx = left; tx <= right; ++tx) {
            const int tile = ty * columns_ + tx;
            if (marks_[static_cast<size_t>(tile)] == 0) {
                marks_[static_cast<size_t>(tile)] = 1;
                list_.push_back(tile);
            }
        }
    }
}

void TileSet::addAllBut(const TileSet& other) {
    if (other.marks_.size() != marks_.size()) {
        return;
    }
    for (size_t tile = 0; tile < marks_.size(); ++tile) {
        if (other.marks_[tile] == 0 && marks_[tile] == 0) {
            marks_[tile] = 1;
            list_.push_back(static_cast<int>(tile));
        }
    }
}

bool TileSet::subtract(const TileSet& other) {
    if (other.marks_.size() != marks_.size() || other.list_.empty()) {
        return false;
    }
    return std::erase_if(list_, [&](int tile) {
               const auto at = static_cast<size_t>(tile);
               if (other.marks_[at] == 0) {
                   return false;
               }
               marks_[at] = 0;
               return true;
           }) > 0;
}

bool TileSet::covers(int x, int y, int width, int height) const {
    int left = 0, top = 0, right = 0, bottom = 0;
    return !list_.empty() && range(x, y, width, height, left, top, right, bottom) &&
           !anyTile(left, top, right, bottom, false);
}

bool TileSet::intersects(int x, int y, int width, int height) const {
    int left = 0, top = 0, right = 0, bottom = 0;
    return !list_.empty() && range(x, y, width, height, left, top, right, bottom) &&
           anyTile(left, top, right, bottom, true);
}

bool TileSet::anyTile(int left, int top, int right, int bottom, bool inSet) const {
    for (int ty = top; ty <= bottom; ++ty) {
        for (int tx = left; tx <= right; ++tx) {
            if ((marks_[static_cast<size_t>(ty * columns_ + tx)] != 0) == inSet) {
                return true;
            }
        }
    }
    return false;
}

void Canvas::touch(int x, int y, int width, int height) {
    if (x >= image_.width() || y >= image_.height() || x + width <= 0 || y + height <= 0) {
        return;
    }
    const int left = std::max(x, 0) / kTileSize;
    const int top = std::max(y, 0) / kTileSize;
    const int right = (std::min(x + width, image_.width()) - 1) / kTileSize;
    const int bottom = (std::min(y + height, image_.height()) - 1) / kTileSize;
    if (right < left || bottom < top) {
        return;
    }
    for (int ty = top; ty <= bottom; ++ty) {
        for (int tx = left; tx <= right; ++tx) {
            const auto tile = static_cast<size_t>(ty * tileColumns_ + tx);
            if (!allTouched_ && touchedTiles_[tile] == 0) {
                touchedTiles_[tile] = 1;
                touchedList_.push_back(static_cast<int>(tile));
            }
            if (!screenAll_ && screenTiles_[tile] == 0) {
                screenTiles_[tile] = 1;
                screenList_.push_back(static_cast<int>(tile));
            }
        }
    }
}

void Canvas::matchPicture(const QImage& picture) {
    basis_ = picture.cacheKey();
    allTouched_ = false;
    std::fill(touchedTiles_.begin(), touchedTiles_.end(), 0);
    touchedList_.clear();
}

void Canvas::notify(bool wholeWhenUnchanged) {
    if (changed_) {
        changed_();
    }
    if (!changedArea_) {
        return;
    }
    const bool whole = screenAll_ || (wholeWhenUnchanged && screenList_.empty());
    QRegion area;
    if (whole) {
        area = QRegion(image_.rect());
    } else if (!screenList_.empty()) {
        // One span per tile row, from its first to its last tile drawn on, in row order as the
        // region wants: a few more pixels copied to the screen cost less than the toolkit's
        // work on a region of many small pieces.
        std::sort(screenList_.begin(), screenList_.end());
        std::vector<QRect> rects;
        for (size_t i = 0; i < screenList_.size();) {
            const int row = screenList_[i] / tileColumns_;
            const int first = screenList_[i] % tileColumns_;
            int last = first;
            while (++i < screenList_.size() && screenList_[i] / tileColumns_ == row) {
                last = screenList_[i] % tileColumns_;
            }
            const QRect span(first * kTileSize, row * kTileSize, (last - first + 1) * kTileSize,
                             kTileSize);
            rects.push_back(span.intersected(image_.rect()));
        }
        area.setRects(rects.data(), static_cast<int>(rects.size()));
    }
    for (const int tile : screenList_) {
        screenTiles_[static_cast<size_t>(tile)] = 0;
    }
    screenList_.clear();
    screenAll_ = false;
    if (!area.isEmpty()) {
        changedArea_(area);
    }
}

void Canvas::stamp(const Stamp& shape, int x, int y, const TileSet& clip) {
    landPending();
    if (image_.isNull() || clip.empty() || clip.widthPixels() != image_.width() ||
        clip.heightPixels() != image_.height()) {
        return;
    }
    const int width = image_.width();
    const int height = image_.height();
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (const Stamp::Run& run : shape.runs_) {
        const int row = y + run.row;
        if (row < 0 || row >= height) {
            continue;
        }
        const int tileRow = row / kTileSize * clip.columns();
        int left = std::max(x + run.col, 0);
        const int end = std::min(x + run.col + run.length, width);
        // The run cut at tile edges; each piece inside the clip is copied.
        while (left < end) {
            const int right = std::min(end, (left / kTileSize + 1) * kTileSize);
            if (clip.contains(tileRow + left / kTileSize)) {
                auto* to = reinterpret_cast<QRgb*>(bits + row * stride) + left;
                std::memcpy(to, &shape.pixels_[run.first + static_cast<size_t>(left - x - run.col)],
                            static_cast<size_t>(right - left) * 4);
            }
            left = right;
        }
    }
    touch(x, y, shape.width_, shape.height_);
    changed();
}

void Canvas::restoreTiles(const QImage& picture, const TileSet& tiles) {
    landPending();
    if (image_.isNull() || tiles.empty() || picture.size() != image_.size() ||
        picture.format() != image_.format() || tiles.widthPixels() != image_.width() ||
        tiles.heightPixels() != image_.height()) {
        return;
    }
    const qsizetype toStride = image_.bytesPerLine();
    const qsizetype fromStride = picture.bytesPerLine();
    uchar* to = image_.bits();
    const uchar* from = picture.constBits();
    // Neighbouring tiles of a row are copied as one span, a row of pixels at a time.
    std::vector<int> order = tiles.tiles();
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size();) {
        const int first = order[i];
        int last = first;
        while (++i < order.size() && order[i] == last + 1 && order[i] % tileColumns_ != 0) {
            last = order[i];
        }
        const int left = first % tileColumns_ * kTileSize;
        const int top = first / tileColumns_ * kTileSize;
        const int width = std::min((last - first + 1) * kTileSize, image_.width() - left);
        const int bottom = std::min(top + kTileSize, image_.height());
        for (int row = top; row < bottom; ++row) {
            std::memcpy(to + row * toStride + left * 4, from + row * fromStride + left * 4,
                        static_cast<size_t>(width) * 4);
        }
        // Still counted as drawn on: the picture need not be the one the surface last equalled.
        touch(left, top, width, bottom - top);
    }
    changed();
}

void Canvas::restoreFrom(const QImage& picture) {
    landPending();
    if (allTouched_ || picture.isNull() || picture.cacheKey() != basis_ ||
        picture.size() != image_.size() || picture.format() != image_.format()) {
        copyFrom(picture);
        return;
    }
    const qsizetype toStride = image_.bytesPerLine();
    const qsizetype fromStride = picture.bytesPerLine();
    uchar* to = image_.bits();
    const uchar* from = picture.constBits();
    for (const int tile : touchedList_) {
        const int left = tile % tileColumns_ * kTileSize;
        const int top = tile / tileColumns_ * kTileSize;
        const int width = std::min(kTileSize, image_.width() - left);
        const int bottom = std::min(top + kTileSize, image_.height());
        for (int row = top; row < bottom; ++row) {
            std::memcpy(to + row * toStride + left * 4, from + row * fromStride + left * 4,
                        static_cast<size_t>(width) * 4);
        }
        touchedTiles_[static_cast<size_t>(tile)] = 0;
        if (!screenAll_ && screenTiles_[static_cast<size_t>(tile)] == 0) {
            screenTiles_[static_cast<size_t>(tile)] = 1;
            screenList_.push_back(tile);
        }
    }
    touchedList_.clear();
    changed();
}

void Canvas::changed() {
    ++generation_;
    if (!holdNotices_) {
        notify(false);
    }
}

}  // namespace korvi

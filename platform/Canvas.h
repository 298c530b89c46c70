// The persistent drawing surface of a picture panel: a backing image that every drawing call
// writes into and that survives repaints, hiding and showing. The panel's paint event only blits
// it, and tests read its pixels directly.
#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvi {

enum class ScaleMode { Twips, Pixels, Characters };
enum class FillStyle { Solid, Transparent };

// A copy of a picture in which white pixels are transparent (the footprint bitmaps' mask).
QImage WhiteAsTransparent(const QImage& picture);

// A shape drawn once and repeated many times (a mark's circle): the opaque pixels of a
// premultiplied ARGB picture kept as runs along its rows, so that a copy is a few row copies.
class Stamp {
  public:
    Stamp() = default;
    explicit Stamp(const QImage& picture);
    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0; }

  private:
    friend class Canvas;
    struct Run {
        int row;
        int col;
        int length;
        size_t first;  // index of the run's first pixel in pixels_
    };
    std::vector<Run> runs_;
    std::vector<uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
};

// A set of a surface's tiles, square pieces of TileSet::kSize pixels: the parts of a drawing to
// put back and draw again.
class TileSet {
  public:
    static constexpr int kSize = 8;
    // Empties the set and sizes it for a surface of this many pixels.
    void reset(int widthPixels, int heightPixels);
    // Adds every tile that an area (in pixels) reaches; what lies off the surface is left out.
    void add(int x, int y, int width, int height);
    // Adds the tiles that lie wholly inside an area; a tile cut by the surface's right or bottom
    // edge counts as wholly inside when the area reaches that edge.
    void addInside(int x, int y, int width, int height);
    // Adds every tile of the surface that is not in `other` (a set sized for the same surface).
    void addAllBut(const TileSet& other);
    // Takes out the tiles of `other` (a set sized for the same surface); true when any was in
    // the set.
    bool subtract(const TileSet& other);
    bool intersects(int x, int y, int width, int height) const;
    // Whether every tile the area reaches on the surface is in the set (false when it misses
    // the surface).
    bool covers(int x, int y, int width, int height) const;
    bool contains(int tile) const { return marks_[static_cast<size_t>(tile)] != 0; }
    bool empty() const { return list_.empty(); }
    const std::vector<int>& tiles() const { return list_; }
    int columns() const { return columns_; }
    int widthPixels() const { return width_; }
    int heightPixels() const { return height_; }

  private:
    // The tile range an area reaches, false when it misses the surface.
    bool range(int x, int y, int width, int height, int& left, int& top, int& right,
               int& bottom) const;
    // Whether any tile of the range is in the set (`inSet`) or out of it.
    bool anyTile(int left, int top, int right, int bottom, bool inSet) const;
    int width_ = 0;
    int height_ = 0;
    int columns_ = 0;
    std::vector<uint8_t> marks_;
    std::vector<int> list_;
};

class Canvas {
  public:
    explicit Canvas(int widthPixels = 0, int heightPixels = 0);

    // Follows the panel's size; what was drawn stays at the top left, new area gets the
    // background colour.
    void resize(int widthPixels, int heightPixels);
    int pixelWidth() const { return image_.width(); }
    int pixelHeight() const { return image_.height(); }
    // The drawing as it stands once pending drawing has landed (see setPendingHook).
    const QImage& image() const {
        landPending();
        return image_;
    }
    // The backing image for the paint event that shows `area`: pending drawing lands on its
    // owner's own schedule, never in the middle of a paint; only what the owner left out where
    // nobody could see it lands now, if the area reaches it (see setShowHook).
    const QImage& shownImage(const QRegion& area) const {
        if (show_) {
            show_(area);
        }
        return image_;
    }
    // The backing image as it is right now, nothing landed.
    const QImage& currentImage() const { return image_; }
    uint32_t pixel(int x, int y) const;  // 0x00BBGGRR, for tests and checks

    ScaleMode scaleMode() const { return scaleMode_; }
    void setScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    // Inner size in the current scale mode.
    double scaleWidth() const;
    double scaleHeight() const;

    uint32_t backColor() const { return backColor_; }
    void setBackColor(uint32_t color);  // clears, as setting a panel's background does
    // Takes the colour without clearing, for an owner whose pending drawing repaints the whole
    // surface anyway.
    void setBackColorKeepingDrawing(uint32_t color) { backColor_ = color; }
    uint32_t foreColor() const { return foreColor_; }
    void setForeColor(uint32_t color) { foreColor_ = color; }
    uint32_t fillColor() const { return fillColor_; }
    void setFillColor(uint32_t color) { fillColor_ = color; }
    FillStyle fillStyle() const { return fillStyle_; }
    void setFillStyle(FillStyle style) { fillStyle_ = style; }
    int drawWidth() const { return drawWidth_; }
    void setDrawWidth(int pixels) { drawWidth_ = pixels < 1 ? 1 : pixels; }
    QFont font() const { return font_; }
    void setFont(const QFont& font) { font_ = font; }

    // The stored picture: shown at natural size under the drawing after every clear.
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

    // Drawing calls take coordinates in the current scale mode.
    void cls();
    void circle(double x, double y, double radius, uint32_t color);
    void line(double x1, double y1, double x2, double y2, uint32_t color);
    void box(double x1, double y1, double x2, double y2, uint32_t color, bool filled);
    void paintPicture(const QImage& picture, double x, double y);
    void paintPicture(const QImage& picture, double x, double y, double width, double height);
    // Copies a stamp's pixels with its top-left corner at pixel (x, y), leaving the rest: a
    // shape drawn once and repeated, without a painter per copy.
    void stamp(const Stamp& shape, int x, int y);
    // The same, with only the pixels inside the tiles of `clip` copied (a set sized for this
    // surface).
    void stamp(const Stamp& shape, int x, int y, const TileSet& clip);
    // The same, with only the pixels whose level in `levels` (one per pixel of the surface, row by
    // row) is below `level` copied, and their level raised to it: where stamps overlap, the one
    // of the highest level shows, whatever order they came in. Levels of another size change
    // nothing.
    void stampAbove(const Stamp& shape, int x, int y, std::vector<uint8_t>& levels, uint8_t level);
    // Puts back the tiles of `tiles` from a picture of the surface's own size and format (a
    // prepared background); a picture of another size or format changes nothing.
    void restoreTiles(const QImage& picture, const TileSet& tiles);
    // Replaces the whole drawing by a picture of the surface's own size (a prepared background),
    // by plain row copies; a picture of another size or format is painted at (0, 0) instead.
    void copyFrom(const QImage& picture);
    // The same result as copyFrom, but when the surface was last made equal to this very picture
    // (by copyFrom or restoreFrom) only the tiles drawn on since then are copied back.
    void restoreFrom(const QImage& picture);
    // Paints a picture whose white pixels are transparent (footprint bitmaps).
    void paintMasked(const QImage& picture, double x, double y);
    double currentX() const { return currentX_; }
    double currentY() const { return currentY_; }
    void setCurrent(double x, double y) {
        currentX_ = x;
        currentY_ = y;
    }
    void print(const QString& text);  // at the current position, in the fore colour

    // Asks the owner to repaint; drawing never repaints synchronously.
    void refresh();
    void setChangedCallback(std::function<void()> callback) { changed_ = std::move(callback); }
    // The same notice with the area drawn on since the last one (in pixels), so that only that
    // area is repainted; a refresh with nothing drawn since names the whole surface.
    void setChangedAreaCallback(std::function<void(const QRegion&)> callback) {
        changedArea_ = std::move(callback);
    }

    // Drawing that an owner keeps pending (the press display draws once per frame) must land
    // before anyone else draws here or reads the pixels: the hook runs first in every drawing
    // call, in resize, and in pixel() and image().
    void setPendingHook(std::function<void()> hook) { pending_ = std::move(hook); }
    // An owner may leave drawing out where panels stacked above hide the surface; before a
    // paint shows an area, this hook lands what belongs there.
    void setShowHook(std::function<void(const QRegion&)> hook) { show_ = std::move(hook); }
    // While held, drawing does not ask the owner to repaint; whoever holds refreshes once later.
    void holdChangeNotices(bool hold) { holdNotices_ = hold; }
    bool changeNoticesHeld() const { return holdNotices_; }
    // Counts every change of the drawing, held or not: an owner that remembers the count after
    // drawing knows whether anything else drew here since.
    uint64_t generation() const { return generation_; }
    // Counts the times the whole drawing was cleared or took a new size: whoever keeps figures
    // per pixel of it knows when they no longer stand.
    uint64_t clears() const { return clears_; }

    // Conversion from the current scale to pixels.
    double toPixelsX(double v) const;
    double toPixelsY(double v) const;
    double fromPixelsX(double px) const;
    double fromPixelsY(double px) const;

  private:
    // Tiles of kTileSize x kTileSize pixels drawn on since the surface last equalled basis_.
    static constexpr int kTileSize = TileSet::kSize;
    void changed();
    void touchAll() {
        allTouched_ = true;
        screenAll_ = true;
    }
    void touch(int x, int y, int width, int height);
    void matchPicture(const QImage& picture);
    void setupTiles();
    void notify(bool wholeWhenUnchanged);
    void landPending() const {
        if (pending_) {
            pending_();
        }
    }

    QImage image_;
    QImage picture_;
    ScaleMode scaleMode_ = ScaleMode::Twips;
    uint32_t backColor_ = 0xFFFFFF;
    uint32_t foreColor_ = 0x000000;
    uint32_t fillColor_ = 0x000000;
    FillStyle fillStyle_ = FillStyle::Transparent;
    int drawWidth_ = 1;
    QFont font_;
    double currentX_ = 0;
    double currentY_ = 0;
    std::function<void()> changed_;
    std::function<void(const QRegion&)> changedArea_;
    std::function<void()> pending_;
    std::function<void(const QRegion&)> show_;
    bool holdNotices_ = false;
    uint64_t generation_ = 0;
    uint64_t clears_ = 0;
    qint64 basis_ = 0;  // cache key of the picture the surface equals apart from touched tiles
    bool allTouched_ = true;
    int tileColumns_ = 0;
    std::vector<uint8_t> touchedTiles_;
    std::vector<int> touchedList_;
    // Tiles drawn on since the owner was last asked to repaint.
    bool screenAll_ = true;
    std::vector<uint8_t> screenTiles_;
    std::vector<int> screenList_;
};

// Holds a canvas's repaint requests for the length of a scope, then leaves them as they were.
class ChangeNoticeHold {
  public:
    explicit ChangeNoticeHold(Canvas& canvas) : canvas_(canvas), held_(canvas.changeNoticesHeld()) {
        canvas_.holdChangeNotices(true);
    }
    ~ChangeNoticeHold() { canvas_.holdChangeNotices(held_); }
    ChangeNoticeHold(const ChangeNoticeHold&) = delete;
    ChangeNoticeHold& operator=(const ChangeNoticeHold&) = delete;

  private:
    Canvas& canvas_;
    bool held_;
};

// Keeps a panel's scale mode for the length of a routine and restores it on every way out.
class ScaleModeGuard {
  public:
    ScaleModeGuard(Canvas& canvas, ScaleMode mode) : canvas_(canvas), saved_(canvas.scaleMode()) {
        canvas_.setScaleMode(mode);
    }
    ~ScaleModeGuard() { canvas_.setScaleMode(saved_); }
    ScaleModeGuard(const ScaleModeGuard&) = delete;
    ScaleModeGuard& operator=(const ScaleModeGuard&) = delete;

  private:
    Canvas& canvas_;
    ScaleMode saved_;
};

}  // namespace korvi

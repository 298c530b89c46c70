// The widgets behind the layout's controls: picture panels with a persistent canvas, number
// labels sized to their caption, image items that show a bitmap with white as transparent, and
// the window background. Each only turns Qt events into MouseArgs and paints; the layout code
// decides what the events mean.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Control.h"

class QPainter;

namespace korvi {

// Mouse callbacks shared by every control that takes part in layout editing.
struct MouseHandlers {
    std::function<void(const MouseArgs&)> down;
    std::function<void(const MouseArgs&)> move;
    std::function<void(const MouseArgs&)> up;
};

int VbButton(Qt::MouseButton button);
int VbButtons(Qt::MouseButtons buttons);
int VbShift(Qt::KeyboardModifiers modifiers);

// Delivers a Qt mouse event to the handlers in twips; returns true when a handler ran.
void RouteMouseEvent(Control& control, const MouseHandlers& handlers, QMouseEvent* event);

// Where a panel's one-pixel flat border lies. Left, Top, Width and Height are always the panel's
// outer place and size, and the border is the panel's own outermost ring of pixels.
enum class FlatBorder {
    None,
    // The drawing area is the inner size, two pixels less each way, one pixel in from the
    // corner: the sensor panels, whose marks are mapped onto their inner size.
    Inside,
    // The drawing covers the whole panel and the border is painted over its outermost ring: the
    // base plate, on which positions are differences of outer Left and Top values, so that the
    // outlines of the frames placed on it fall just outside them.
    OverDrawing,
};

class PictureBox : public QWidget, public Control {
    Q_OBJECT
  public:
    PictureBox(QWidget* parent, const QString& name, const QString& tag = {}, int index = -1);
    ~PictureBox() override;

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }
    MouseHandlers& mouse() { return mouse_; }
    void setFlatBorder(FlatBorder border);
    FlatBorder flatBorder() const { return border_; }
    // Where the drawing area's corner lies in the panel, in pixels (1 inside a border).
    int drawingInset() const { return border_ == FlatBorder::Inside ? 1 : 0; }
    void setVisible(bool visible) override;
    // Counts every showing and hiding of any panel: whoever keeps a list of the panels shown
    // knows when to look again.
    static uint64_t VisibilityChanges() { return visibilityChanges_; }

    // The shown panels stacked above this one that reach into `reach`, as areas of its drawing's
    // pixels.
    std::vector<QRect> coveringRects(const QRect& reach) const;

    // Something its owner lays over the panel's drawing at the end of every paint, given the
    // painter and the area being painted in the panel's pixels (the centre of pressure over the
    // base plate and the frames on it). It never touches the drawing itself.
    using OverPaint = std::function<void(QPainter&, const PictureBox&, const QRegion&)>;
    void setOverPaint(OverPaint paint) { overPaint_ = std::move(paint); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void geometryApplied() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Sizes the drawing to the panel less its border.
    void sizeCanvas();
    // Asks for a repaint of the area drawn on (in the drawing's pixels), less what shown panels
    // stacked above this one hide (frames placed on the base plate hide most of what is drawn
    // beneath them).
    void repaintDrawn(const QRegion& area);

    Canvas canvas_;
    MouseHandlers mouse_;
    OverPaint overPaint_;
    FlatBorder border_ = FlatBorder::None;
    static uint64_t visibilityChanges_;
};

class LabelControl : public QLabel, public Control {
    Q_OBJECT
  public:
    LabelControl(QWidget* parent, const QString& name, int index = -1);
    // Sets the caption and sizes the label to it, so that a chain of labels reads as one text.
    void setCaption(const QString& caption);
    QString caption() const { return text(); }
    MouseHandlers& mouse() { return mouse_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    MouseHandlers mouse_;
};

// An image item (a footprint on the base plate): sized to its picture, white is transparent.
class ImageControl : public QWidget, public Control {
    Q_OBJECT
  public:
    ImageControl(QWidget* parent, const QString& name, int index = -1);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
    QImage masked_;
};

// The window background: the client area that placed frames and the base plate live in.
class FormSurface : public QWidget, public Control {
    Q_OBJECT
  public:
    explicit FormSurface(QWidget* parent);
    MouseHandlers& mouse() { return mouse_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    MouseHandlers mouse_;
};

}  // namespace korvi

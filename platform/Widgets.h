// The widgets behind the layout's controls: picture panels with a persistent canvas, number
// labels sized to their caption, image items that show a bitmap with white as transparent, and
// the window background. Each only turns Qt events into MouseArgs and paints; the layout code
// decides what the events mean.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Control.h"

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

// A panel's one-pixel flat border: a ring just outside the panel's rectangle, in the same
// container and stacked right under the panel, so that it never covers the panel's drawing (a
// mark at the edge keeps its outer pixel). Clicks pass through it.
class PanelBorder : public QWidget {
    Q_OBJECT
  public:
    explicit PanelBorder(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

class PictureBox : public QWidget, public Control {
    Q_OBJECT
  public:
    PictureBox(QWidget* parent, const QString& name, const QString& tag = {}, int index = -1);
    ~PictureBox() override;

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }
    MouseHandlers& mouse() { return mouse_; }
    // A thin flat border around the panel, outside its drawing area: Width and Height stay the
    // size of the canvas.
    void setFlatBorder(bool on);
    void setVisible(bool visible) override;
    // Counts every showing and hiding of any panel: whoever keeps a list of the panels shown
    // knows when to look again.
    static uint64_t VisibilityChanges() { return visibilityChanges_; }

    // The shown panels and borders stacked above this one that reach into `reach`, as areas of
    // its own pixels.
    std::vector<QRect> coveringRects(const QRect& reach) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void geometryApplied() override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // Keeps the border around the panel: same container, one pixel outside, just beneath it.
    void syncBorder();
    // Asks for a repaint of the area drawn on, less what shown panels and borders stacked above
    // this one hide (frames placed on the base plate hide most of what is drawn beneath them).
    void repaintDrawn(const QRegion& area);

    Canvas canvas_;
    MouseHandlers mouse_;
    QPointer<PanelBorder> border_;
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

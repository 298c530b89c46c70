// The program's own manual drag and drop. A mouse handler begins a drag of a control from code;
// an outline then follows the pointer, the control under the pointer gets a drag-over at once and
// at every move, and the button release is delivered as a drop there. While the drag runs the
// window background holds the mouse, so the drag keeps every event even when the control that
// took the press is hidden, moved or given another container. The source receives no mouse-up for
// a drag that has begun, so a release after a real drag never counts as a click. Everything runs
// on plain mouse events, so drops are testable under the offscreen platform.
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <functional>
#include <optional>

#include "platform/Control.h"

class QMouseEvent;
class QWidget;

namespace korvi {

// Where a drag event lands: over the window background (target is the background's Control and
// overBackground is true), over a layout control (target set), or over any other control such as
// a button, or outside the window background altogether (target nullptr), which handles nothing.
struct DragArgs {
    Control& source;
    Control* target;
    bool overBackground;
    float x;  // twips, in the target's own coordinates
    float y;
};

class DragController : public QObject {
    Q_OBJECT
  public:
    // background: the window's client area; targets are looked up among its descendants.
    explicit DragController(QWidget* background);
    ~DragController() override;

    // grabPixels: where in the source the pointer is, so the outline keeps that point under it.
    void beginDrag(Control& source, QPointF grabPixels);
    // Ends a drag without a drop and lets go of the mouse (a mouse-up that arrives while no drag
    // runs does nothing).
    void cancelDrag();
    bool isDragging() const { return source_ != nullptr; }
    Control* source() const { return source_; }
    // The drag outline, for tests and the look of the drag.
    QWidget* outline() const { return outline_; }

    std::function<void(const DragArgs&)> onDragOver;
    std::function<void(const DragArgs&)> onDragDrop;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A drag-over or the drop at the pointer's global position (pixels, finer than a pixel when
    // the window system reports it so).
    void deliverMove(QPointF globalPos);
    void deliverDrop(QPointF globalPos);
    DragArgs argsAt(QPointF globalPos);
    QPointF pointerPosition(QObject* receiver, const QMouseEvent* mouse);
    void moveOutline(QPointF globalPos);

    QWidget* background_;
    Control* source_ = nullptr;
    // Watches the source's widget: a drag whose source disappears ends without a drop.
    QPointer<QWidget> sourceWidget_;
    QPointF grab_;
    QWidget* outline_ = nullptr;
    // The position of the last mouse event the window received, to a fraction of a pixel.
    std::optional<QPointF> windowPointer_;
};

}  // namespace korvi

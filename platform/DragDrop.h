// The program's own manual drag and drop. A mouse-move handler begins a drag of a control from
// code; an outline then follows the pointer, every move is delivered as a drag-over to the control
// under the pointer, and the button release is delivered as a drop there. The source receives no
// mouse-up for a drag that has begun, so a release after a real drag never counts as a click.
// Everything runs on plain mouse events, so drops are testable under the offscreen platform.
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <functional>

#include "platform/Control.h"

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
    // Ends a drag without a drop (a mouse-up that arrives while no drag runs does nothing).
    void cancelDrag();
    bool isDragging() const { return source_ != nullptr; }
    Control* source() const { return source_; }
    // The drag outline, for tests and the look of the drag.
    QWidget* outline() const { return outline_; }

    std::function<void(const DragArgs&)> onDragOver;
    std::function<void(const DragArgs&)> onDragDrop;

    // Delivers a drag-over or drop at a window position; used by the event filter and by tests
    // that need positions finer than a pixel.
    void deliverMove(QPointF globalPos);
    void deliverDrop(QPointF globalPos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    DragArgs argsAt(QPointF globalPos);
    void moveOutline(QPointF globalPos);

    QWidget* background_;
    Control* source_ = nullptr;
    // Watches the source's widget: a drag whose source disappears ends without a drop.
    QPointer<QWidget> sourceWidget_;
    QPointF grab_;
    QWidget* outline_ = nullptr;
};

}  // namespace korvi

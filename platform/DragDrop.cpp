#include "platform/DragDrop.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <optional>

#include "platform/Units.h"

namespace korvi {

namespace {

// A dotted rectangle the size of the dragged control; it never takes mouse events, so the control
// under it is the one that receives the drop.
class DragOutline : public QWidget {
  public:
    explicit DragOutline(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setObjectName(QStringLiteral("dragOutline"));
        hide();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        pen.setWidth(2);
        p.setPen(pen);
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

// Where a control's own origin lies in the background's twips, through the Left and Top of its
// containers, so that a drop point plus the control's Left is the pointer's own position even
// where the control's pixels were rounded. Empty when some container is not a layout control.
std::optional<QPointF> TwipsOrigin(const QWidget* widget, const QWidget* background) {
    QPointF origin;
    for (const QWidget* w = widget; w != background; w = w->parentWidget()) {
        const Control* control = Control::of(w);  // none for a widget outside the layout
        if (control == nullptr) {
            return std::nullopt;
        }
        origin += QPointF(control->Left(), control->Top());
    }
    return origin;
}

}  // namespace

DragController::DragController(QWidget* background)
    : background_(background), outline_(new DragOutline(background)) {}

DragController::~DragController() {
    cancelDrag();
}

void DragController::beginDrag(Control& source, QPointF grabPixels) {
    if (source_ == nullptr) {
        qApp->installEventFilter(this);
    }
    source_ = &source;
    sourceWidget_ = source.widget();
    grab_ = grabPixels;
    outline_->resize(source.widget()->size());
    outline_->raise();
    const QPointF pointer = QPointF(source.widget()->mapToGlobal(QPoint(0, 0))) + grabPixels;
    moveOutline(pointer);
    outline_->show();
    // The window routes the held button's moves and its release to the widget that took the
    // press, and stops routing them once that widget is hidden: a handle hides on the first
    // drag-over, a merged number's drag image as the drag begins. The background never hides, so
    // it holds the mouse until the drop and every event of the drag reaches this controller.
    if (QWidget::mouseGrabber() != background_) {
        background_->grabMouse();
    }
    // The drag is over the control under the pointer from its first moment, even when the next
    // move is far away.
    deliverMove(pointer);
}

void DragController::cancelDrag() {
    if (source_ == nullptr) {
        return;
    }
    source_ = nullptr;
    sourceWidget_ = nullptr;
    outline_->hide();
    qApp->removeEventFilter(this);
    if (QWidget::mouseGrabber() == background_) {
        background_->releaseMouse();
    }
}

DragArgs DragController::argsAt(QPointF globalPos) {
    // Mapped through whole-pixel widget origins: mapping a QPointF through the window would drop
    // the fraction, and drops finer than a pixel must keep it.
    const auto inWidget = [&globalPos](const QWidget* w) {
        return globalPos - QPointF(w->mapToGlobal(QPoint(0, 0)));
    };
    const QPointF inBackground = inWidget(background_);
    const QPointF pointerTwips(PixelsToTwips(inBackground.x()), PixelsToTwips(inBackground.y()));
    const QPoint pixel(static_cast<int>(std::floor(inBackground.x())),
                       static_cast<int>(std::floor(inBackground.y())));
    QWidget* hit = background_->childAt(pixel);
    Control* target = nullptr;
    bool overBackground = false;
    QPointF local = pointerTwips;
    if (!background_->rect().contains(pixel)) {
        // Outside the client area (menu bar, another window): nothing there takes a drop.
    } else if (hit == nullptr) {
        target = Control::of(background_);
        overBackground = true;
    } else {
        target = Control::of(hit);
        const std::optional<QPointF> origin = TwipsOrigin(hit, background_);
        if (origin) {
            local = pointerTwips - *origin;
        } else {
            const QPointF inHit = inWidget(hit);
            local = QPointF(PixelsToTwips(inHit.x()), PixelsToTwips(inHit.y()));
        }
    }
    return DragArgs{*source_, target, overBackground, static_cast<float>(local.x()),
                    static_cast<float>(local.y())};
}

QPointF DragController::pointerPosition(QObject* receiver, const QMouseEvent* mouse) {
    std::optional<QPointF> precise;
    precise.swap(windowPointer_);
    // Qt rounds a window's mouse event to whole pixels on its way to a widget.
    if (precise && std::abs(precise->x() - mouse->globalPosition().x()) <= 1 &&
        std::abs(precise->y() - mouse->globalPosition().y()) <= 1) {
        return *precise;
    }
    // An event given straight to a widget: its local position is the precise one.
    const auto* widget = static_cast<const QWidget*>(receiver);
    return QPointF(widget->mapToGlobal(QPoint(0, 0))) + mouse->position();
}

void DragController::moveOutline(QPointF globalPos) {
    const QPointF topLeft = globalPos - QPointF(background_->mapToGlobal(QPoint(0, 0))) - grab_;
    outline_->move(topLeft.toPoint());
}

void DragController::deliverMove(QPointF globalPos) {
    if (source_ != nullptr && sourceWidget_.isNull()) {
        cancelDrag();
    }
    if (source_ == nullptr) {
        return;
    }
    moveOutline(globalPos);
    if (onDragOver) {
        onDragOver(argsAt(globalPos));
    }
}

void DragController::deliverDrop(QPointF globalPos) {
    if (source_ != nullptr && sourceWidget_.isNull()) {
        cancelDrag();
    }
    if (source_ == nullptr) {
        return;
    }
    const DragArgs args = argsAt(globalPos);
    cancelDrag();
    if (onDragDrop) {
        onDragDrop(args);
    }
}

bool DragController::eventFilter(QObject* watched, QEvent* event) {
    if (source_ != nullptr && sourceWidget_.isNull()) {
        cancelDrag();
    }
    if (source_ == nullptr) {
        return QObject::eventFilter(watched, event);
    }
    if (watched->isWindowType()) {
        // The window's own event, before the toolkit hands it to a widget: it alone keeps the
        // pointer's position finer than a pixel.
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease) {
            windowPointer_ = static_cast<QMouseEvent*>(event)->globalPosition();
        }
        return QObject::eventFilter(watched, event);
    }
    if (!watched->isWidgetType()) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // Another button pressed during a drag belongs to the drag, not to the control
            // under the pointer.
            return true;
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() == Qt::NoButton) {
                // The release went somewhere this window never saw (another window took the
                // mouse): the drag is over without a drop, and nothing follows a bare pointer.
                cancelDrag();
                return QObject::eventFilter(watched, event);
            }
            deliverMove(pointerPosition(watched, mouse));
            return true;
        }
        case QEvent::MouseButtonRelease: {
            // The drop comes when the last held button is released.
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() == Qt::NoButton) {
                deliverDrop(pointerPosition(watched, mouse));
            }
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvi

#include "platform/DragDrop.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>

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

// The pointer's global position to a fraction of a pixel. Qt rounds an event's global position
// on its way to a widget but keeps the local one, and widget origins are whole pixels.
QPointF PointerPosition(QObject* receiver, const QMouseEvent* mouse) {
    const auto* widget = static_cast<const QWidget*>(receiver);
    return QPointF(widget->mapToGlobal(QPoint(0, 0))) + mouse->position();
}

}  // namespace

DragController::DragController(QWidget* background)
    : background_(background), outline_(new DragOutline(background)) {}

DragController::~DragController() {
    if (source_ != nullptr) {
        qApp->removeEventFilter(this);
    }
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
    moveOutline(QPointF(source.widget()->mapToGlobal(QPoint(0, 0))) + grabPixels);
    outline_->show();
}

void DragController::cancelDrag() {
    if (source_ == nullptr) {
        return;
    }
    source_ = nullptr;
    sourceWidget_ = nullptr;
    outline_->hide();
    qApp->removeEventFilter(this);
}

DragArgs DragController::argsAt(QPointF globalPos) {
    // Mapped through whole-pixel widget origins: mapping a QPointF through the window would drop
    // the fraction, and drops finer than a pixel must keep it.
    const auto inWidget = [&globalPos](const QWidget* w) {
        return globalPos - QPointF(w->mapToGlobal(QPoint(0, 0)));
    };
    const QPointF inBackground = inWidget(background_);
    const QPoint pixel(static_cast<int>(std::floor(inBackground.x())),
                       static_cast<int>(std::floor(inBackground.y())));
    QWidget* hit = background_->childAt(pixel);
    Control* target = nullptr;
    bool overBackground = false;
    QPointF local;
    if (!background_->rect().contains(pixel)) {
        // Outside the client area (menu bar, another window): nothing there takes a drop.
        local = inBackground;
    } else if (hit == nullptr) {
        target = Control::of(background_);
        overBackground = true;
        local = inBackground;
    } else {
        target = Control::of(hit);
        local = inWidget(hit);
    }
    return DragArgs{*source_, target, overBackground, static_cast<float>(PixelsToTwips(local.x())),
                    static_cast<float>(PixelsToTwips(local.y()))};
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
    if (source_ == nullptr || !watched->isWidgetType()) {
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
            deliverMove(PointerPosition(watched, mouse));
            return true;
        }
        case QEvent::MouseButtonRelease: {
            // The drop comes when the last held button is released.
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() == Qt::NoButton) {
                deliverDrop(PointerPosition(watched, mouse));
            }
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvi

#include "platform/DragDrop.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

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
    grab_ = grabPixels;
    outline_->resize(source.widget()->size());
    outline_->raise();
    moveOutline(source.widget()->mapToGlobal(grabPixels));
    outline_->show();
}

void DragController::cancelDrag() {
    if (source_ == nullptr) {
        return;
    }
    source_ = nullptr;
    outline_->hide();
    qApp->removeEventFilter(this);
}

DragArgs DragController::argsAt(QPointF globalPos) {
    const QPointF inBackground = background_->mapFromGlobal(globalPos);
    QWidget* hit = background_->childAt(inBackground.toPoint());
    Control* target = nullptr;
    bool overBackground = false;
    QPointF local;
    if (hit == nullptr) {
        target = Control::of(background_);
        overBackground = true;
        local = inBackground;
    } else {
        target = Control::of(hit);
        local = hit->mapFromGlobal(globalPos);
    }
    return DragArgs{*source_, target, overBackground, static_cast<float>(PixelsToTwips(local.x())),
                    static_cast<float>(PixelsToTwips(local.y()))};
}

void DragController::moveOutline(QPointF globalPos) {
    const QPointF topLeft = background_->mapFromGlobal(globalPos) - grab_;
    outline_->move(topLeft.toPoint());
}

void DragController::deliverMove(QPointF globalPos) {
    if (source_ == nullptr) {
        return;
    }
    moveOutline(globalPos);
    if (onDragOver) {
        onDragOver(argsAt(globalPos));
    }
}

void DragController::deliverDrop(QPointF globalPos) {
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
    if (source_ == nullptr || !watched->isWidgetType()) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            deliverMove(mouse->globalPosition());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            deliverDrop(mouse->globalPosition());
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvi

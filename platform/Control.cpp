#include "platform/Control.h"

#include <QVariant>
#include <cmath>

#include "platform/Units.h"

namespace korvi {

namespace {
constexpr const char* kControlProperty = "korviControl";

int ToPixels(float twips) {
    if (!std::isfinite(twips)) {
        return 0;
    }
    return RoundEven32(static_cast<double>(twips) / kTwipsPerPixel);
}
}  // namespace

Control::Control(QWidget* widget, QString tag, int index)
    : widget_(widget), tag_(std::move(tag)), index_(index) {
    widget_->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
}

Control::~Control() {
    // The widget may outlive the Control part of a derived class briefly while QWidget's own
    // destructor runs; make sure no one finds a dangling pointer through it.
    widget_->setProperty(kControlProperty, QVariant());
}

Control* Control::of(const QWidget* widget) {
    if (widget == nullptr) {
        return nullptr;
    }
    return static_cast<Control*>(widget->property(kControlProperty).value<void*>());
}

void Control::SetLeft(float v) {
    left_ = v;
    applyGeometry();
}
void Control::SetTop(float v) {
    top_ = v;
    applyGeometry();
}
void Control::SetWidth(float v) {
    width_ = v;
    applyGeometry();
}
void Control::SetHeight(float v) {
    height_ = v;
    applyGeometry();
}

void Control::Move(float left, float top, float width, float height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
}

void Control::applyGeometry() {
    const int x = ToPixels(left_);
    const int y = ToPixels(top_);
    const int w = std::max(ToPixels(width_), 0);
    const int h = std::max(ToPixels(height_), 0);
    widget_->setGeometry(x, y, w, h);
    geometryApplied();
}

void Control::SetVisible(bool visible) {
    widget_->setVisible(visible);
}

QString Control::AccessibleName() const {
    const QString name = widget_->objectName();
    return index_ >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index_) : name;
}

Control* Control::Container() const {
    return of(widget_->parentWidget());
}

void Control::SetContainer(QWidget* parent) {
    const bool wasHidden = widget_->isHidden();
    widget_->setParent(parent);
    applyGeometry();
    widget_->setVisible(!wasHidden);
}

}  // namespace korvi

// Control geometry: every panel, label, image and handle of the layout is reached through this
// one small interface. Positions and sizes are single-precision twips kept exactly as set (layout
// files round-trip them bit for bit); the widget's pixel geometry is derived from them.
#pragma once

#include <QString>
#include <QWidget>

namespace korvi {

struct MouseArgs;

class Control {
  public:
    Control(QWidget* widget, QString tag, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void SetLeft(float v);
    void SetTop(float v);
    void SetWidth(float v);
    void SetHeight(float v);
    void Move(float left, float top, float width, float height);

    // The control's own visibility flag (not whether its window is on screen).
    bool Visible() const { return !widget_->isHidden(); }
    void SetVisible(bool visible);

    const QString& Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }
    int Index() const { return index_; }
    // Name and index as assistive technology sees it: "picSensor(3)" or "picBaseSens".
    QString AccessibleName() const;

    QWidget* widget() const { return widget_; }
    // The control whose coordinates this one's Left and Top are in; nullptr for the window.
    Control* Container() const;
    // Moves the control into another container, keeping its twips geometry.
    void SetContainer(QWidget* parent);
    void BringToFront() { widget_->raise(); }

    static Control* of(const QWidget* widget);

  protected:
    // Called after the pixel geometry changed, so panels can resize their backing image.
    virtual void geometryApplied() {}
    void applyGeometry();

  private:
    QWidget* widget_;
    QString tag_;
    int index_;
    float left_ = 0;
    float top_ = 0;
    float width_ = 0;
    float height_ = 0;
};

// Mouse event as the layout handlers see it: VB-style button codes (1 left, 2 right, 4 middle),
// shift state (1 shift, 2 ctrl, 4 alt) and the point in twips of the control's own coordinates.
struct MouseArgs {
    Control& control;
    int button;
    int shift;
    float x;
    float y;
};

}  // namespace korvi

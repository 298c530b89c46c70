#include "platform/Widgets.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>

#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

int VbButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int VbButtons(Qt::MouseButtons buttons) {
    int result = 0;
    if (buttons & Qt::LeftButton) {
        result |= 1;
    }
    if (buttons & Qt::RightButton) {
        result |= 2;
    }
    if (buttons & Qt::MiddleButton) {
        result |= 4;
    }
    return result;
}

int VbShift(Qt::KeyboardModifiers modifiers) {
    int result = 0;
    if (modifiers & Qt::ShiftModifier) {
        result |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        result |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        result |= 4;
    }
    return result;
}

void RouteMouseEvent(Control& control, const MouseHandlers& handlers, QMouseEvent* event) {
    const float x = static_cast<float>(PixelsToTwips(event->position().x()));
    const float y = static_cast<float>(PixelsToTwips(event->position().y()));
    const int shift = VbShift(event->modifiers());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (handlers.down) {
                handlers.down(MouseArgs{control, VbButton(event->button()), shift, x, y});
            }
            break;
        case QEvent::MouseMove:
            if (handlers.move) {
                handlers.move(MouseArgs{control, VbButtons(event->buttons()), shift, x, y});
            }
            break;
        case QEvent::MouseButtonRelease:
            if (handlers.up) {
                handlers.up(MouseArgs{control, VbButton(event->button()), shift, x, y});
            }
            break;
        default:
            break;
    }
    event->accept();
}

PictureBox::PictureBox(QWidget* parent, const QString& name, const QString& tag, int index)
    : QWidget(parent), Control(this, tag, index) {
    setObjectName(name);
    setAccessibleName(AccessibleName());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    canvas_.setChangedAreaCallback([this](const QRegion& area) { repaintDrawn(area); });
}

std::vector<QRect> PictureBox::coveringRects(const QRect& reach) const {
    std::vector<QRect> out;
    if (const QWidget* parent = parentWidget()) {
        // Siblings later in the list are stacked above; a panel paints every pixel of its own,
        // border included.
        const QPoint corner = pos() + QPoint(drawingInset(), drawingInset());
        const QObjectList& siblings = parent->children();
        const QRect within = reach.translated(corner);
        for (qsizetype i = siblings.indexOf(this) + 1; i < siblings.size(); ++i) {
            const QObject* sibling = siblings[i];
            if (!sibling->isWidgetType()) {
                continue;
            }
            const auto* above = static_cast<const QWidget*>(sibling);
            if (above->geometry().intersects(within) && above->isVisibleTo(parent) &&
                qobject_cast<const PictureBox*>(above) != nullptr) {
                out.push_back(above->geometry().translated(-corner));
            }
        }
    }
    return out;
}

void PictureBox::repaintDrawn(const QRegion& area) {
    QRegion shown = area;
    for (const QRect& above : coveringRects(area.boundingRect())) {
        shown -= above;
    }
    if (!shown.isEmpty()) {
        update(shown.translated(drawingInset(), drawingInset()));
    }
}

PictureBox::~PictureBox() = default;

void PictureBox::setFlatBorder(FlatBorder border) {
    border_ = border;
    sizeCanvas();
    update();
}

void PictureBox::sizeCanvas() {
    const int inset = drawingInset();
    canvas_.resize(std::max(0, QWidget::width() - 2 * inset),
                   std::max(0, QWidget::height() - 2 * inset));
}

uint64_t PictureBox::visibilityChanges_ = 0;

void PictureBox::setVisible(bool visible) {
    QWidget::setVisible(visible);
    ++visibilityChanges_;
}

void PictureBox::geometryApplied() {
    sizeCanvas();
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    sizeCanvas();
    QWidget::resizeEvent(event);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const int inset = drawingInset();
    const QPoint corner(inset, inset);
    const QRegion drawn = event->region().translated(-corner);
    // In bands of rows: the toolkit hands the copy of a taller area to its thread pool and waits
    // for it, which costs more than the copy itself.
    constexpr int kBandRows = 16;
    const QImage& image = canvas_.shownImage(drawn);
    for (const QRect& dirty : drawn) {
        const QRect area = dirty.intersected(image.rect());
        for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
            const QRect band(area.left(), top, area.width(),
                             std::min(kBandRows, area.bottom() + 1 - top));
            p.drawImage(band.topLeft() + corner, image, band);
        }
    }
    const QRect whole = rect();
    if (border_ != FlatBorder::None &&
        !event->region().subtracted(whole.adjusted(1, 1, -1, -1)).isEmpty()) {
        p.setPen(QColor(64, 64, 64));
        p.drawRect(whole.adjusted(0, 0, -1, -1));
    }
    if (overPaint_) {
        overPaint_(p, *this, event->region());
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}
void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}
void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}

LabelControl::LabelControl(QWidget* parent, const QString& name, int index)
    : QLabel(parent), Control(this, QStringLiteral("lblNo"), index) {
    setObjectName(name);
    setAccessibleName(AccessibleName());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setMargin(0);
    setIndent(0);
}

void LabelControl::setCaption(const QString& caption) {
    setText(caption);
    const int w = fontMetrics().horizontalAdvance(caption) + 1;
    const int h = fontMetrics().height();
    Move(Left(), Top(), static_cast<float>(PixelsToTwips(w)), static_cast<float>(PixelsToTwips(h)));
}

void LabelControl::mousePressEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}
void LabelControl::mouseMoveEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}
void LabelControl::mouseReleaseEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}

ImageControl::ImageControl(QWidget* parent, const QString& name, int index)
    : QWidget(parent), Control(this, QStringLiteral("imgBmpOnBase"), index) {
    setObjectName(name);
    setAccessibleName(AccessibleName());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ImageControl::setPicture(const QImage& picture) {
    // The trace sets the same footprint again and again: mask it only when it changes.
    if (!picture_.isNull() && picture.cacheKey() == picture_.cacheKey()) {
        return;
    }
    picture_ = picture;
    masked_ = WhiteAsTransparent(picture);
    if (!picture.isNull()) {
        Move(Left(), Top(), static_cast<float>(PixelsToTwips(picture.width())),
             static_cast<float>(PixelsToTwips(picture.height())));
    }
    update();
}

void ImageControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, masked_);
}

FormSurface::FormSurface(QWidget* parent) : QWidget(parent), Control(this, QString(), -1) {
    setObjectName(QStringLiteral("frmDemoClient"));
    setAutoFillBackground(true);
}

void FormSurface::mousePressEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}
void FormSurface::mouseMoveEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}
void FormSurface::mouseReleaseEvent(QMouseEvent* event) {
    RouteMouseEvent(*this, mouse_, event);
}

}  // namespace korvi

#include "tests/support/WindowMouse.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWindow>
#include <cmath>

namespace korvi::test {

WindowMouse::WindowMouse(QWidget* widget) : window_(widget->window()->windowHandle()) {
    Q_ASSERT(window_ != nullptr);
}

QPointF WindowMouse::at(const QWidget* widget, QPointF local) const {
    // Through whole-pixel origins, so a fraction of a pixel survives the mapping.
    const QPoint origin = widget->mapTo(widget->window(), QPoint(0, 0));
    return QPointF(origin) + local;
}

void WindowMouse::send(QEvent::Type type, QPointF pos, Qt::MouseButton button) {
    pos_ = pos;
    QTest::lastMouseTimestamp += 16;
    const QPointF global = QPointF(window_->mapToGlobal(QPoint(0, 0))) + pos;
    qt_handleMouseEvent(window_, pos, global, held_, button, type, Qt::NoModifier,
                        QTest::lastMouseTimestamp);
    if (type == QEvent::MouseButtonRelease) {
        // Two clicks of a test never make a double click.
        QTest::lastMouseTimestamp += QTest::mouseDoubleClickInterval;
    }
    QApplication::processEvents();
}

void WindowMouse::press(QPointF pos, Qt::MouseButton button) {
    held_ |= button;
    send(QEvent::MouseButtonPress, pos, button);
}

void WindowMouse::release(QPointF pos, Qt::MouseButton button) {
    held_ &= ~Qt::MouseButtons(button);
    send(QEvent::MouseButtonRelease, pos, button);
}

void WindowMouse::move(QPointF pos) {
    send(QEvent::MouseMove, pos, Qt::NoButton);
}

void WindowMouse::glide(QPointF to, double step) {
    const QPointF from = pos_;
    const QPointF way = to - from;
    const int steps = std::max(
        1, static_cast<int>(std::ceil(std::max(std::abs(way.x()), std::abs(way.y())) / step)));
    for (int n = 1; n <= steps; ++n) {
        move(from + way * (static_cast<double>(n) / steps));
    }
}

void WindowMouse::click(QPointF pos, Qt::MouseButton button) {
    press(pos, button);
    release(pos, button);
}

void WindowMouse::drag(QPointF from, QPointF to, Pace pace) {
    press(from);
    if (pace == Pace::Slow) {
        glide(to, 2);
    } else {
        move(to);
        move(to);
    }
    release(to);
}

void Click(QWidget* widget, QRect rect) {
    if (!rect.isNull()) {
        WindowMouse mouse(widget);
        mouse.click(mouse.at(widget, QPointF(rect.center())));
        return;
    }
    // Where a user would click: the middle of the row nearest the centre that nothing covers
    // (a test screen smaller than the window lets the status bar overlap the lowest buttons).
    QWidget* top = widget->window();
    const QPoint centre = widget->rect().center();
    for (int dy = 0; dy <= widget->height() / 2; ++dy) {
        for (const int y : {centre.y() - dy, centre.y() + dy}) {
            const QPoint point(centre.x(), y);
            const QWidget* hit = top->childAt(widget->mapTo(top, point));
            if (hit == widget || widget->isAncestorOf(hit)) {
                WindowMouse mouse(widget);
                mouse.click(mouse.at(widget, QPointF(point)));
                return;
            }
        }
    }
    ADD_FAILURE() << "nothing of " << widget->objectName().toStdString() << " can be clicked";
}

}  // namespace korvi::test

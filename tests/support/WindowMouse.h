// Mouse input given to a top-level window the way the window system delivers a user's: every
// event enters through the window, and the toolkit's own routing (the widget under the pointer,
// the implicit grab of the pressed widget, enter and leave) decides which widget sees it. Points
// are window pixels and may lie between pixels.
#pragma once

#include <QEvent>
#include <QPointF>
#include <QRect>
#include <QWidget>
#include <ostream>

class QWindow;

namespace korvi::test {

// How a drag travels: a slow hand moves a pixel or two per event, a fast one jumps.
enum class Pace { Slow, Fast };
// Readable in test names and failures instead of a byte dump.
inline void PrintTo(Pace pace, std::ostream* os) {
    *os << (pace == Pace::Slow ? "Slow" : "Fast");
}

class WindowMouse {
  public:
    // Drives the top-level window that holds `widget`.
    explicit WindowMouse(QWidget* widget);

    // A point of `widget` (its own pixels) in window pixels, keeping any fraction.
    QPointF at(const QWidget* widget, QPointF local) const;

    void press(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    void release(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    // One move event at `pos`, with whatever buttons are held.
    void move(QPointF pos);
    // Moves from the current position to `to` in a straight line, `step` pixels or less at a time.
    void glide(QPointF to, double step);
    void click(QPointF pos, Qt::MouseButton button = Qt::LeftButton);
    // Presses the left button at `from`, travels to `to` at the given pace and releases there. A
    // fast drag jumps straight to `to` and moves there once more, as a pointer's last report does.
    void drag(QPointF from, QPointF to, Pace pace);

  private:
    void send(QEvent::Type type, QPointF pos, Qt::MouseButton button);

    QWindow* window_;
    QPointF pos_;
    Qt::MouseButtons held_;
};

// The one click of the tests: a left click on a widget (a button, a check box) through its
// window, at the centre of `rect` in it or, without one, at the widget's centre or as near to it
// as the widget shows.
void Click(QWidget* widget, QRect rect = {});

}  // namespace korvi::test

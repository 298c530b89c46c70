#include "app/ToolWindow.h"

#include <QEvent>
#include <QScreen>
#include <algorithm>

namespace korvi {

namespace {

// Watches the owner for its close and closes the window with it; owned by the window.
class CloseWithOwnerFilter : public QObject {
  public:
    CloseWithOwnerFilter(QWidget& window, QWidget& owner) : QObject(&window), window_(window) {
        owner.installEventFilter(this);
    }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Close && window_.isVisible()) {
            window_.close();
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

QPoint PlaceBeside(const QWidget& owner, QSize size) {
    const QRect frame = owner.frameGeometry();
    QPoint place(frame.right() + 1, frame.top());
    const QScreen* screen = owner.screen();
    if (screen == nullptr) {
        return place;
    }
    const QRect room = screen->availableGeometry();
    if (place.x() + size.width() > room.right() + 1) {
        place.setX(frame.left() - size.width());
    }
    place.setX(
        std::clamp(place.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
    place.setY(
        std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
    return place;
}

void CloseWithOwner(QWidget& window, QWidget& owner) {
    new CloseWithOwnerFilter(window, owner);
}

}  // namespace korvi

// The program's tool windows (the replay bar, the port list, and the windows still to come) share
// one set-up: a title, an object name that tests and the accessibility tree find them by, a place
// beside the main window when first shown, and closing when the main window closes. ToolWindow
// gives that to a plain window (ToolWindow<QWidget>) or a dialog (ToolWindow<QDialog>); Named
// gives a control its object name where it is made.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

namespace korvi {

template <typename W>
W* Named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// Where a window of `size` stands beside `owner`: right of its frame with the tops aligned, on
// the left when the owner's screen has no room on the right, and within that screen.
QPoint PlaceBeside(const QWidget& owner, QSize size);
// Closes `window` whenever `owner` is closed.
void CloseWithOwner(QWidget& window, QWidget& owner);

template <typename Window>
class ToolWindow : public Window {
  public:
    // A window placed on purpose (moved before it is first shown) stays where it was put.
    void setVisible(bool visible) override {
        QWidget* owner = this->parentWidget();
        if (visible && owner != nullptr && !this->isVisible() &&
            !this->testAttribute(Qt::WA_Moved)) {
            this->adjustSize();
            this->move(PlaceBeside(*owner->window(), this->size()));
        }
        Window::setVisible(visible);
    }

  protected:
    ToolWindow(QWidget* owner, const QString& name, const QString& title,
               Qt::WindowFlags flags = {})
        : Window(owner, flags) {
        this->setObjectName(name);
        this->setWindowTitle(title);
        if (owner != nullptr) {
            CloseWithOwner(*this, *owner->window());
        }
    }
};

}  // namespace korvi

// A shown window with the window background, the layout model, the drag controller and the layout
// editor, as the main window builds them, plus mouse gestures made of real mouse events.
#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "layout/LayoutEditor.h"
#include "layout/SensorLayout.h"
#include "platform/Colors.h"
#include "platform/DragDrop.h"
#include "platform/Units.h"
#include "tests/support/Fakes.h"

namespace korvi::test {

inline constexpr uint32_t kTestBaseColor = 0x404040;

// A plain-colour picture saved as Base_k.bmp, so each base image is recognisable by its colour.
inline QImage BasePicture(int k) {
    QImage image(20, 16, QImage::Format_RGB32);
    image.fill(QColor(40 + 10 * k, 200 - 10 * k, 90));
    return image;
}

// The number labels inside a frame read left to right; each must start where the one before it
// ends, on the same line, for the chain to read as one text.
inline QString ChainText(SensorLayout& l, int host) {
    std::vector<LabelControl*> labels;
    for (LabelControl* label : l.lblNo) {
        if (label->Container() == l.picPressSens[host] && !label->isHidden()) {
            labels.push_back(label);
        }
    }
    std::sort(labels.begin(), labels.end(),
              [](LabelControl* a, LabelControl* b) { return a->Left() < b->Left(); });
    QString text;
    for (size_t n = 0; n < labels.size(); ++n) {
        if (n > 0 && (labels[n]->Left() != labels[n - 1]->Left() + labels[n - 1]->Width() ||
                      labels[n]->Top() != labels[n - 1]->Top())) {
            text += QLatin1Char(' ');  // a gap or a step shows in the text
        }
        text += labels[n]->caption();
    }
    return text;
}

inline std::array<float, 4> Geometry(const Control& c) {
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

class EditorFixture {
  public:
    // baseImages: which Base_k.bmp files exist in the base folder.
    explicit EditorFixture(bool mergeMode = true, std::initializer_list<int> baseImages = {}) {
        for (int k : baseImages) {
            BasePicture(k).save(baseDir.filePath(QStringLiteral("Base_%1.bmp").arg(k)), "BMP");
        }
        window.resize(1100, 800);
        form = new FormSurface(&window);
        form->setGeometry(0, 0, 1100, 800);
        layout = std::make_unique<SensorLayout>(*form, kTestBaseColor, mergeMode);
        drag = std::make_unique<DragController>(form);
        editor = std::make_unique<LayoutEditor>(*layout, *drag, boxes, dialogs, appDir.path(),
                                                baseDir.path());
        layout->InitSensors();
        editor->InitBaseImages();
        editor->InitStretchHandles();
        layout->picDragNo->hide();
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }

    SensorLayout& l() { return *layout; }
    PictureBox& frame(int i) { return *layout->picPressSens[i]; }
    PictureBox& item(int i) { return *layout->picSensor[i]; }

    // Where a point of the window background (pixels) lies in a widget's own coordinates.
    // (Mapped through the widgets' whole-pixel origins: mapping a QPointF through the window
    // drops its fraction.)
    QPointF inWidget(QWidget* w, QPointF formPx) const {
        return formPx + QPointF(form->mapToGlobal(QPoint(0, 0))) -
               QPointF(w->mapToGlobal(QPoint(0, 0)));
    }

    // A mouse event as Qt delivers it under the mouse grab: to the pressed widget, at a position
    // of its own that may be finer than a pixel, with the pointer's global position.
    static void Send(QWidget* w, QEvent::Type type, QPointF local, Qt::MouseButton button,
                     Qt::MouseButtons held) {
        QMouseEvent event(type, local, local + QPointF(w->mapToGlobal(QPoint(0, 0))), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }

    // Presses `source` at grab (its own pixels), moves to the drop point of the window background
    // (pixels) and releases there.
    void dragTo(QWidget* source, QPoint grab, QPointF dropFormPx) {
        const QPointF drop = inWidget(source, dropFormPx);
        if (drop == drop.toPoint()) {  // whole pixels go through the window as a user's would
            QTest::mousePress(source, Qt::LeftButton, {}, grab);
            QTest::mouseMove(source, drop.toPoint());
            QTest::mouseMove(source, drop.toPoint());
            QTest::mouseRelease(source, Qt::LeftButton, {}, drop.toPoint());
            return;
        }
        Send(source, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        Send(source, QEvent::MouseMove, drop, Qt::NoButton, Qt::LeftButton);
        Send(source, QEvent::MouseMove, drop, Qt::NoButton, Qt::LeftButton);
        Send(source, QEvent::MouseButtonRelease, drop, Qt::LeftButton, Qt::NoButton);
    }
    void click(QWidget* w, QPoint at = QPoint(10, 10)) {
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }
    bool shown(QWidget* w) const { return w->isVisibleTo(&window); }

    // Places sensor i from the box so that its frame's top-left lands on (x, y) pixels of the
    // window background (the item is grabbed one pixel in from its corner).
    void place(int i, QPoint topLeftPx) {
        dragTo(&item(i), QPoint(1, 1), topLeftPx + QPoint(1, 1));
    }

    QWidget window;
    FormSurface* form = nullptr;
    QTemporaryDir appDir;
    QTemporaryDir baseDir;
    RecordingMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<SensorLayout> layout;
    std::unique_ptr<DragController> drag;
    std::unique_ptr<LayoutEditor> editor;
};

}  // namespace korvi::test

// A shown window with the window background, the layout model, the drag controller and the layout
// editor, as the main window builds them, plus mouse gestures given to the window as a user's
// input arrives.
#pragma once

#include <QImage>
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
#include "tests/support/WindowMouse.h"

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
using Place2 = std::array<float, 2>;  // Left, Top in twips
inline Place2 At(const Control& c) {
    return {c.Left(), c.Top()};
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
        mouse_ = std::make_unique<WindowMouse>(&window);
    }

    SensorLayout& l() { return *layout; }
    PictureBox& frame(int i) { return *layout->picPressSens[i]; }
    PictureBox& item(int i) { return *layout->picSensor[i]; }
    WindowMouse& mouse() { return *mouse_; }

    // A point of a widget (its own pixels) as the window sees it.
    QPointF on(const QWidget* w, QPointF local) const { return mouse_->at(w, local); }

    // Presses `source` at grab (its own pixels), travels to the drop point of the window
    // background (pixels, possibly between pixels) and releases there, all through the window.
    void dragTo(const QWidget* source, QPoint grab, QPointF dropFormPx, Pace pace = Pace::Fast) {
        mouse_->drag(on(source, grab), on(form, dropFormPx), pace);
    }
    void click(const QWidget* w, QPoint at = QPoint(10, 10),
               Qt::MouseButton button = Qt::LeftButton) {
        mouse_->click(on(w, at), button);
    }
    bool shown(const QWidget* w) const { return w->isVisibleTo(&window); }
    bool anyHandleShown() const {
        return std::any_of(layout->picStretchPtr.begin(), layout->picStretchPtr.end(),
                           [this](const PictureBox* h) { return shown(h); });
    }

    // Places sensor i from the box so that its frame's top-left lands on (x, y) pixels of the
    // window background (the item is grabbed one pixel in from its corner).
    void place(int i, QPoint topLeftPx, Pace pace = Pace::Fast) {
        dragTo(&item(i), QPoint(1, 1), topLeftPx + QPoint(1, 1), pace);
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

  private:
    std::unique_ptr<WindowMouse> mouse_;
};

}  // namespace korvi::test

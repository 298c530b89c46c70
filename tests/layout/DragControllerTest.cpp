// The manual drag controller on its own: where drops land, what the source and the controls
// under the pointer see while a drag runs.
#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "platform/DragDrop.h"
#include "platform/Widgets.h"

namespace korvi {
namespace {

struct Landing {
    Control* target;
    bool overBackground;
    float x;
    float y;
};

class DragControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(400, 300);
        background = new FormSurface(&window);
        background->setGeometry(0, 0, 200, 200);
        source = new PictureBox(background, QStringLiteral("picSource"), QStringLiteral("src"));
        source->Move(150, 150, 450, 450);
        target = new PictureBox(background, QStringLiteral("picTarget"), QStringLiteral("dst"));
        target->Move(1500, 1500, 900, 900);
        source->mouse().move = [this](const MouseArgs& a) {
            if (a.button == 1 && !drag->isDragging()) {
                drag->beginDrag(*source, QPointF(a.x / 15, a.y / 15));
            }
        };
        source->mouse().up = [this](const MouseArgs&) { ++sourceReleases; };
        target->mouse().down = [this](const MouseArgs&) { ++targetPresses; };
        drag = std::make_unique<DragController>(background);
        drag->onDragDrop = [this](const DragArgs& a) {
            landing = Landing{a.target, a.overBackground, a.x, a.y};
        };
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }

    // Every event of a gesture goes to the pressed widget, as Qt's mouse grab delivers them.
    void send(QWidget* to, QEvent::Type type, QPointF windowPx, Qt::MouseButton button,
              Qt::MouseButtons held) {
        const QPointF global = windowPx + QPointF(window.mapToGlobal(QPoint(0, 0)));
        const QPointF local = global - QPointF(to->mapToGlobal(QPoint(0, 0)));
        QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
    }
    void press() {
        send(source, QEvent::MouseButtonPress, QPointF(15, 15), Qt::LeftButton, Qt::LeftButton);
    }
    void moveTo(QPointF windowPx) {
        send(source, QEvent::MouseMove, windowPx, Qt::NoButton, Qt::LeftButton);
    }
    void releaseAt(QPointF windowPx) {
        send(source, QEvent::MouseButtonRelease, windowPx, Qt::LeftButton, Qt::NoButton);
    }

    QWidget window;
    FormSurface* background = nullptr;
    PictureBox* source = nullptr;
    PictureBox* target = nullptr;
    std::unique_ptr<DragController> drag;
    std::optional<Landing> landing;
    int sourceReleases = 0;
    int targetPresses = 0;
};

TEST_F(DragControllerTest, DropCarriesThePointInTheReceiversOwnTwipsToAFractionOfAPixel) {
    press();
    moveTo(QPointF(120, 130));
    EXPECT_TRUE(drag->isDragging());
    EXPECT_TRUE(drag->outline()->isVisible());
    releaseAt(QPointF(100 + 10.0 / 3, 100 + 20.0 / 3));
    ASSERT_TRUE(landing);
    EXPECT_EQ(landing->target, target);
    EXPECT_FALSE(landing->overBackground);
    EXPECT_FLOAT_EQ(landing->x, 50);
    EXPECT_FLOAT_EQ(landing->y, 100);
    EXPECT_FALSE(drag->isDragging());
    EXPECT_FALSE(drag->outline()->isVisible());
    // The release ended the drag; the source never saw it as a click.
    EXPECT_EQ(sourceReleases, 0);
}

TEST_F(DragControllerTest, DropOnTheBackgroundAndOutsideIt) {
    press();
    moveTo(QPointF(50, 60));
    releaseAt(QPointF(50, 60));
    ASSERT_TRUE(landing);
    EXPECT_TRUE(landing->overBackground);
    EXPECT_EQ(landing->target, background);
    EXPECT_FLOAT_EQ(landing->x, 750);

    landing.reset();
    press();
    moveTo(QPointF(300, 250));
    releaseAt(QPointF(300, 250));  // beside the background, still in the window
    ASSERT_TRUE(landing);
    EXPECT_EQ(landing->target, nullptr);
    EXPECT_FALSE(landing->overBackground);
}

TEST_F(DragControllerTest, PressesOfOtherButtonsDuringADragReachNoControl) {
    press();
    moveTo(QPointF(120, 130));
    send(target, QEvent::MouseButtonPress, QPointF(103, 103), Qt::RightButton,
         Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(targetPresses, 0);
    EXPECT_TRUE(drag->isDragging());
    releaseAt(QPointF(120, 130));
    EXPECT_FALSE(drag->isDragging());
}

TEST_F(DragControllerTest, ADragWhoseSourceDisappearsEndsWithoutADrop) {
    press();
    moveTo(QPointF(120, 130));
    delete source;
    source = nullptr;
    send(target, QEvent::MouseButtonRelease, QPointF(120, 130), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(drag->isDragging());
    EXPECT_FALSE(landing);
}

}  // namespace
}  // namespace korvi

// A surface restored from its prepared background shows exactly that background again, however
// it was drawn on.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/Canvas.h"

namespace korvi {
namespace {

// 100 x 70 pixels: four tile columns (the last 4 wide) and three tile rows (the last 6 high).
QImage Background() {
    QImage picture(100, 70, QImage::Format_RGB32);
    picture.fill(QColor(0x80, 0x80, 0x80));
    picture.setPixel(0, 0, qRgb(1, 2, 3));
    picture.setPixel(99, 69, qRgb(4, 5, 6));
    return picture;
}

Stamp RedSquare(int side) {
    QImage shape(side, side, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::red);
    return Stamp(shape);
}

TEST(CanvasRestore, EveryWayOfDrawingIsUndone) {
    const QImage background = Background();
    struct Case {
        const char* name;
        void (*draw)(Canvas&);
    } cases[] = {
        {"stamps inside, across tiles, over the edges",
         [](Canvas& c) {
             c.stamp(RedSquare(3), 40, 5);
             c.stamp(RedSquare(4), 30, 30);
             c.stamp(RedSquare(5), 97, 67);
             c.stamp(RedSquare(5), -2, -2);
         }},
        {"a line", [](Canvas& c) { c.line(0, 69, 99, 0, 0x0000FF); }},
        {"a clear", [](Canvas& c) { c.cls(); }},
        {"a stamp after a restore",
         [](Canvas& c) {
             c.stamp(RedSquare(3), 10, 10);
             c.restoreFrom(Background());  // another picture: copied in full
             c.stamp(RedSquare(3), 60, 40);
         }},
    };
    for (const Case& c : cases) {
        Canvas canvas(100, 70);
        canvas.setScaleMode(ScaleMode::Pixels);
        canvas.copyFrom(background);
        c.draw(canvas);
        ASSERT_NE(canvas.image(), background) << c.name;
        canvas.restoreFrom(background);
        EXPECT_EQ(canvas.image(), background) << c.name;
        // And once more, after drawing on the restored surface.
        canvas.stamp(RedSquare(3), 50, 50);
        canvas.restoreFrom(background);
        EXPECT_EQ(canvas.image(), background) << c.name;
    }
}

}  // namespace
}  // namespace korvi

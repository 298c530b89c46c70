// A surface restored from its prepared background shows exactly that background again, however
// it was drawn on; repaint notices name only the tiles drawn on.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

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

TEST(CanvasNotices, NameTheTilesDrawnOn) {
    Canvas canvas(100, 70);
    std::vector<QRegion> notices;
    canvas.setChangedAreaCallback([&notices](const QRegion& area) { notices.push_back(area); });
    canvas.refresh();  // nothing drawn since it was made: the whole surface
    canvas.stamp(RedSquare(3), 40, 5);
    canvas.stamp(RedSquare(4), 62, 30);  // four tiles of 8 pixels
    canvas.stamp(RedSquare(5), 97, 67);  // the corner tile, cut to the surface
    canvas.refresh();                    // nothing drawn since the last notice: everything
    {
        ChangeNoticeHold hold(canvas);
        canvas.stamp(RedSquare(3), 1, 1);
        canvas.stamp(RedSquare(3), 70, 1);
        canvas.stamp(RedSquare(3), 33, 1);
    }
    canvas.refresh();  // one span over the row of tiles of the held stamps
    canvas.line(0, 0, 5, 5, 0);

    QRegion fourTiles;
    fourTiles.setRects(std::vector<QRect>{{56, 24, 16, 8}, {56, 32, 16, 8}}.data(), 2);
    const std::vector<QRegion> expected =
        {
            QRegion(0, 0, 100, 70), QRegion(40, 0, 8, 8),   fourTiles,
            QRegion(96, 64, 4, 6),  QRegion(0, 0, 100, 70), QRegion(0, 0, 80, 8),
            QRegion(0, 0, 8, 8),  // the line's tile: a pen reaches its width beyond the ends
        };
    ASSERT_EQ(notices.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(notices[i], expected[i]) << "notice " << i;
    }
}

TEST(TileSets, TilesWhollyInsideAnAreaAndTheirComplement) {
    // A surface of 30 x 20 pixels: 4 x 3 tiles of 8, the last column 6 wide, the last row 4
    // high.
    TileSet hidden;
    hidden.reset(30, 20);
    hidden.addInside(1, 0, 16, 9);   // tile 1 only: tile 0 starts before it, row 1 ends after it
    hidden.addInside(23, 8, 50, 8);  // tile 7: the right edge tile is cut by the surface
    hidden.addInside(0, 16, 7, 4);   // nothing: tile 8 is 8 wide
    EXPECT_EQ(hidden.tiles(), (std::vector<int>{1, 7}));
    EXPECT_TRUE(hidden.covers(8, 0, 8, 8));
    EXPECT_FALSE(hidden.covers(8, 0, 9, 8));   // reaches tile 2
    EXPECT_TRUE(hidden.covers(24, 8, 20, 8));  // tile 7, the rest off the surface
    EXPECT_FALSE(hidden.covers(40, 0, 5, 5));  // off the surface

    TileSet shown;
    shown.reset(30, 20);
    shown.addAllBut(hidden);
    EXPECT_EQ(shown.tiles().size(), 10u);
    EXPECT_FALSE(shown.intersects(8, 0, 8, 8));

    TileSet dirty;
    dirty.reset(30, 20);
    dirty.add(0, 0, 12, 3);  // tiles 0 and 1
    EXPECT_TRUE(dirty.subtract(hidden));
    EXPECT_EQ(dirty.tiles(), (std::vector<int>{0}));
    EXPECT_FALSE(dirty.intersects(8, 0, 8, 8));
    EXPECT_FALSE(dirty.subtract(hidden));  // nothing of it left to take out
}

}  // namespace
}  // namespace korvi

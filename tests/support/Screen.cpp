#include "tests/support/Screen.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "platform/Canvas.h"

namespace korvi::test {

namespace {
template <typename Counted>
int Count(const QImage& picture, QRect rect, Counted counted) {
    rect = rect.isNull() ? picture.rect() : rect;
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            n += counted(picture.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}
}  // namespace

int Ink(const QImage& picture, QRect rect) {
    return Count(picture, rect, [](QRgb p) { return qGray(p) < 100; });
}

int CountColour(const QImage& picture, QRgb colour, QRect rect) {
    return Count(picture, rect, [colour](QRgb p) { return (p & 0xFFFFFF) == (colour & 0xFFFFFF); });
}

int CountColour(const Canvas& canvas, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < canvas.pixelHeight(); ++y) {
        for (int x = 0; x < canvas.pixelWidth(); ++x) {
            n += canvas.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

QStringList TableRows(const QTableWidget& table, QChar separator) {
    QStringList rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            cells << table.item(r, c)->text();
        }
        rows << cells.join(separator);
    }
    return rows;
}

QString ScreenshotDir() {
    const QString dir = qEnvironmentVariable("KORVI_SCREENSHOT_DIR");
    return QGuiApplication::platformName() == QLatin1String("xcb") ? dir : QString();
}

QImage GrabScreen(const QString& dir, const char* name) {
    QTest::qWait(300);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QDir().mkpath(dir);
    EXPECT_TRUE(screen.save(QDir(dir).filePath(QString::fromLatin1(name))));
    return screen;
}

}  // namespace korvi::test

// Reading drawings and tables back: dark text pixels, pixels of one colour, the cells of a table,
// the whole X screen. (The click helper, test::Click, comes with the window mouse.)
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <cstdint>

#include "tests/support/WindowMouse.h"

namespace korvi {
class Canvas;
}

namespace korvi::test {

// Pixels darker than mid-grey inside the rectangle (a null one: the whole picture): text.
int Ink(const QImage& picture, QRect rect = {});
// Pixels of exactly this colour inside the rectangle (a null one: the whole picture).
int CountColour(const QImage& picture, QRgb colour, QRect rect = {});
int CountColour(const Canvas& canvas, uint32_t colour);

// Every cell of a table, row by row, `separator` between the columns of a row.
QStringList TableRows(const QTableWidget& table, QChar separator);

// The folder for screenshots when the test runs on an X server through ctest's screenshot
// entries; empty elsewhere.
QString ScreenshotDir();
// The whole screen after a short settling wait, also saved as `name` in `dir` for a person.
QImage GrabScreen(const QString& dir, const char* name);

}  // namespace korvi::test

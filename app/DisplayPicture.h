// The picture the "画像保存..." command saves: the part of the window that holds the base plate and
// the placed sensors, exactly as it is shown (plate picture, frames, marks, trace, footprints).
#pragma once

#include <QImage>
#include <QRect>

namespace korvi {

class SensorLayout;
class PressDisplay;

// The rectangle of the window background covering the visible plate and every visible placed
// sensor; the whole background when neither is shown.
QRect DisplayArea(const SensorLayout& layout);

// That rectangle as the screen shows it once the display's pending drawing has landed.
QImage DisplayPicture(SensorLayout& layout, PressDisplay& display);

}  // namespace korvi

#include "app/DisplayPicture.h"

#include "display/PressDisplay.h"
#include "layout/SensorLayout.h"

namespace korvi {

QRect DisplayArea(const SensorLayout& layout) {
    QRect area;
    auto add = [&](const QWidget* control) {
        if (control->isVisible()) {
            area |= control->geometry();
        }
    };
    add(layout.picBaseSens);
    for (const PictureBox* panel : layout.picPressSens) {
        add(panel);
    }
    const QRect whole = layout.form.rect();
    return area.isEmpty() ? whole : area & whole;
}

QImage DisplayPicture(SensorLayout& layout, PressDisplay& display) {
    // Painting shows the surfaces as they are: drawing kept for the next frame lands first.
    display.FlushDisplay();
    return layout.form.grab(DisplayArea(layout)).toImage();
}

}  // namespace korvi

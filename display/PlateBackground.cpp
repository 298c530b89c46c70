#include "display/PlateBackground.h"

namespace korvi {

PlateBackground::Key PlateBackground::KeyOf(const SensorLayout& layout, uint32_t visiblePanels,
                                            bool picturePainted) {
    const PictureBox& plate = *layout.picBaseSens;
    const Canvas& canvas = plate.canvas();
    Key key;
    key.picture = canvas.picture().cacheKey();
    key.pixelWidth = canvas.pixelWidth();
    key.pixelHeight = canvas.pixelHeight();
    key.plate = {plate.Left(), plate.Top(), plate.Width(), plate.Height()};
    key.backColor = canvas.backColor();
    key.drawWidth = canvas.drawWidth();
    key.frames = layout.ShowSensorFrames;
    key.picturePainted = picturePainted;
    key.visible = plate.Visible() ? visiblePanels | 1u << SensorCount : 0u;
    for (int i = 0; i < SensorCount; ++i) {
        const PictureBox& panel = *layout.picPressSens[i];
        if ((key.visible >> i & 1u) != 0) {
            key.panels[i] = {panel.Left(), panel.Top(), panel.Width(), panel.Height()};
        }
    }
    return key;
}

void PlateBackground::Paint(SensorLayout& layout, uint32_t visiblePanels, bool picturePainted) {
    Canvas& canvas = layout.picBaseSens->canvas();
    const Key key = KeyOf(layout, visiblePanels, picturePainted);
    if (!image_.isNull() && key == key_) {
        canvas.restoreFrom(image_);
        canvas.setCurrent(0, 0);
        return;
    }
    canvas.cls();
    if (picturePainted) {
        RepaintBaseImage(layout);
    }
    DrawSensorFrames(layout, layout.ShowSensorFrames);
    image_ = canvas.image();
    key_ = key;
}

}  // namespace korvi

#include "display/ClearDisplay.h"

#include "platform/Colors.h"

namespace korvi {

void ClearDisplay(SensorLayout& layout) {
    for (int i = 0; i < SensorCount; ++i) {
        PictureBox& panel = *layout.picPressSens[i];
        if (!panel.Visible()) {
            continue;
        }
        panel.canvas().cls();
        panel.canvas().setBackColor(kWhite);
        DrawOrgMark(panel, layout.SensorRotation[i], kBlack);
    }
    PictureBox& plate = *layout.picBaseSens;
    if (plate.Visible()) {
        plate.canvas().cls();
        for (ImageControl* image : layout.imgBmpOnBase) {
            image->hide();
        }
        DrawSensorFrames(layout, layout.ShowSensorFrames);
    }
}

}  // namespace korvi

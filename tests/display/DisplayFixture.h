// A window background with the layout's controls, a draw setting and a press display, for tests
// that drive readings through real panels and read the drawing back pixel by pixel.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "display/PressDisplay.h"
#include "layout/SensorLayout.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/Units.h"
#include "settings/DrawSetting.h"
#include "tests/support/Fakes.h"

namespace korvi::test {

inline constexpr uint32_t kGreen = 0x00FF00;
inline constexpr uint32_t kBlue = 0xFF0000;
inline constexpr uint32_t kPlateColor = 0x404040;
inline constexpr uint32_t kPlatePicture = 0xC0C0C0;

class DisplayFixture : public ::testing::Test {
  protected:
    DisplayFixture() : layout(form, kPlateColor, false) {
        layout.InitSensors();
        // Light presses up to 10 flood the panel; 11..100 give small green dots, 101..255
        // larger blue ones.
        setting.PressColorTable = {{1, 100, static_cast<int32_t>(kGreen), 3},
                                   {101, 255, static_cast<int32_t>(kBlue), 4}};
        setting.PressThresh = 10;
        setting.TraceSize = 5;
        display.ResetTrace();
    }

    // Places sensor i's frame at (left, top) twips with a size in pixels.
    PictureBox& Place(int i, float left, float top, int widthPx, int heightPx) {
        PictureBox& panel = *layout.picPressSens[i];
        panel.Move(left, top, static_cast<float>(PixelsToTwips(widthPx)),
                   static_cast<float>(PixelsToTwips(heightPx)));
        panel.show();
        return panel;
    }

    // Shows the base plate at (left, top) twips, widthPx x heightPx, with a plain grey picture.
    PictureBox& ShowPlate(float left, float top, int widthPx, int heightPx) {
        PictureBox& plate = *layout.picBaseSens;
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(ToQColor(kPlatePicture));
        plate.Move(left, top, static_cast<float>(PixelsToTwips(widthPx)),
                   static_cast<float>(PixelsToTwips(heightPx)));
        plate.canvas().setPicture(picture);
        plate.show();
        return plate;
    }

    uint32_t PanelPixel(int i, int x, int y) const {
        return layout.picPressSens[i]->canvas().pixel(x, y);
    }
    uint32_t PlatePixel(int x, int y) const { return layout.picBaseSens->canvas().pixel(x, y); }

    // Every pixel of panel i has the colour, except the origin mark's tick.
    bool PanelIsPlain(int i, uint32_t color) const {
        const Canvas& canvas = layout.picPressSens[i]->canvas();
        for (int y = 0; y < canvas.pixelHeight(); ++y) {
            for (int x = 0; x < canvas.pixelWidth(); ++x) {
                const uint32_t p = canvas.pixel(x, y);
                if (p != color && p != kBlack) {
                    return false;
                }
            }
        }
        return true;
    }

    FormSurface form{nullptr};
    SensorLayout layout;
    DrawSetting setting;
    RecordingSound sound;
    RecordingMessageBoxes boxes;
    QTemporaryDir bmpDir;
    ManualClock clock;
    PressDisplay display{layout, setting, sound, boxes, clock, bmpDir.path()};
};

}  // namespace korvi::test

// Real panels and a base plate driven through a press display, read back pixel by pixel.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
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

// Foot_k.bmp: 32 pixels wide, 32 + k % 3 high, white with a 16 x 16 square of FootColor(k) at
// (8, 8).
inline uint32_t FootColor(int k) {
    return static_cast<uint32_t>(0x0F0000 * k + 0x004020 + k);
}
inline QString FootPath(const QTemporaryDir& dir, int k) {
    return QDir(dir.path()).filePath(QStringLiteral("Foot_%1.bmp").arg(k));
}

// Shows sensor i's panel with a drawing of w x h pixels (the panel `border` pixels more each way),
// or with i < 0 the plate of w x h pixels, at (left, top) twips.
inline PictureBox& ShowBox(SensorLayout& layout, int i, float left, float top, int w, int h,
                           int border) {
    PictureBox& box = i < 0 ? *layout.picBaseSens : *layout.picPressSens[i];
    box.Move(left, top, static_cast<float>(PixelsToTwips(w + border)),
             static_cast<float>(PixelsToTwips(h + border)));
    box.show();
    return box;
}
// The plate at (1500, 1500) twips, 300 x 200 pixels, with a picture of one colour.
inline void ShowPlate(SensorLayout& layout, uint32_t color = kPlatePicture) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(ToQColor(color));
    ShowBox(layout, -1, 1500, 1500, 300, 200, 0).canvas().setPicture(picture);
}

// One window's worth of display: its own layout and press display over a shared draw setting.
struct Rig {
    Rig(const DrawSetting& setting, const QString& bmpDir)
        : layout(form, kPlateColor, false), display(layout, setting, sound, boxes, clock, bmpDir) {
        layout.InitSensors();
    }
    // A panel's drawing is two pixels smaller each way than the panel: its border.
    PictureBox& Show(int i, float left, float top, int w, int h) {
        return ShowBox(layout, i, left, top, w, h, i < 0 ? 0 : 2);
    }
    FormSurface form{nullptr};
    SensorLayout layout;
    RecordingSound sound;
    RecordingMessageBoxes boxes;
    ManualClock clock;
    PressDisplay display;
};

class DisplayFixture : public ::testing::Test {
  protected:
    DisplayFixture() {
        for (int k = 0; k < 16; ++k) {
            QImage foot(32, 32 + k % 3, QImage::Format_RGB32);
            foot.fill(Qt::white);
            QPainter(&foot).fillRect(8, 8, 16, 16, ToQColor(FootColor(k)));
            foot.save(FootPath(bmpDir, k), "BMP");
        }
        // Light presses up to 10 flood the panel; 11..100 give small green dots, 101..255
        // larger blue ones.
        setting.PressColorTable = {{1, 100, static_cast<int32_t>(kGreen), 3},
                                   {101, 255, static_cast<int32_t>(kBlue), 4}};
        setting.PressThresh = 10;
        setting.TraceSize = 5;
        display.ResetTrace();
    }

    PictureBox& Place(int i, float left, float top, int w, int h) {
        return rig.Show(i, left, top, w, h);
    }
    void ShowPlate() { korvi::test::ShowPlate(layout); }
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

    DrawSetting setting;
    QTemporaryDir bmpDir;
    Rig rig{setting, bmpDir.path()};
    SensorLayout& layout = rig.layout;
    PressDisplay& display = rig.display;
    RecordingSound& sound = rig.sound;
    RecordingMessageBoxes& boxes = rig.boxes;
    ManualClock& clock = rig.clock;
};

}  // namespace korvi::test

// The layout model: the 16 sensors (palette item, placed frame and number label each), the base
// box with its images and the base plate, the stretch handles, and the per-sensor and window-level
// state that the editing commands and the pressure display read and write.
#pragma once

#include <QLabel>
#include <array>
#include <cstdint>

#include "platform/Widgets.h"

namespace korvi {

inline constexpr int SensorCount = 16;
inline constexpr int BaseImageCount = 16;
inline constexpr int HandleCount = 8;

// Record of one drawn mark.
struct PressMark {
    float MarkX = 0;  // pixels inside the display panel
    float MarkY = 0;
    int16_t MarkPress = 0;
    int32_t MarkRadius = 0;  // pixels
    uint32_t MarkColor = 0;  // 0x00BBGGRR
    int16_t MarkRotation = 0;
};

class SensorLayout {
  public:
    // Creates every layout control as a child of the window background, in drawing order (the
    // base plate below the placed frames, the handles and the number drag image on top).
    SensorLayout(FormSurface& form, uint32_t baseColor, bool mergeMode);

    // Brings the 16 sensors into their initial form: all in the sensor box.
    void InitSensors();

    // Number labels. A label at home lives in its own frame at (100, 100) with its own number; a
    // merged label lives in its host's frame, reads "," and its number, and sits right of the
    // label before it in the chain.
    void MoveLabelHome(int sensor);
    void ChainLabelAfter(int sensor, int previous);
    // Index of the frame whose label chain holds the sensor's label.
    int LabelHost(int sensor) const;

    FormSurface& form;
    const bool MergeMode;
    const uint32_t BaseColor;

    PictureBox* picSensorBox;
    QLabel* Label1;
    std::array<PictureBox*, SensorCount> picSensor{};
    std::array<PictureBox*, SensorCount> picPressSens{};
    std::array<LabelControl*, SensorCount> lblNo{};
    PictureBox* picDragNo;

    PictureBox* picBaseBox;
    QLabel* Label2;
    std::array<PictureBox*, BaseImageCount> picBase{};
    PictureBox* picBaseSens;
    std::array<ImageControl*, SensorCount> imgBmpOnBase{};

    std::array<PictureBox*, HandleCount> picStretchPtr{};

    // Per-sensor state, 17 entries; entry 16 belongs to no sensor.
    std::array<int16_t, SensorCount + 1> SensorRotation{};
    std::array<bool, SensorCount + 1> SensorMerged{};
    std::array<PressMark, SensorCount + 1> LastPress{};

    // Window-level state.
    float DragOffsetX = 0;
    float DragOffsetY = 0;
    int32_t MergedCount = 0;
    int16_t DragNoIndex = 0;
    int16_t DragNoHost = 0;
    int16_t BaseIndex = -1;
    Control* StretchTarget = nullptr;
    bool ShowSensorFrames = true;
};

// Prints a text at a column and row in character cells (120 x 240 twips) with the target's font
// and fore colour, restoring its scale mode afterwards.
void PrintTextAt(PictureBox& target, int32_t column, int32_t row, const QString& text);

// The origin mark: a short tick in the middle of the edge on which the sensor's Y is 0. Draws
// nothing on a control that is neither a palette item nor a placed frame.
void DrawOrgMark(PictureBox& target, int16_t rotation, uint32_t color);
// The pixels the origin mark may cover on a panel of this size, with room for its pen.
QRect OrgMarkArea(int widthPixels, int heightPixels, int16_t rotation);

// Outline colour of the frames on the base plate: each channel of the plate's colour half-way to
// white.
uint32_t GetFrameColor(uint32_t baseBackColor);

// Repaints the base plate's picture and, when `show` is true, outlines every visible placed frame
// on it. Nothing happens while the plate is hidden.
void DrawSensorFrames(SensorLayout& layout, bool show);

// Draws the plate's stored picture over the whole plate, stretched to its size.
void RepaintBaseImage(SensorLayout& layout);

}  // namespace korvi

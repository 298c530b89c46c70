// The footprint pictures of bitmap mode: Foot_0.bmp .. Foot_15.bmp loaded from the bitmap folder,
// prepared once per load for drawing on the panels (white made see-through, and copied as a stamp
// where the picture has no half-transparent shade), and shown on the plate's sixteen picture
// controls. Kept apart from the press rules so that a mark's footprint is looked up the same way
// by the rules drawing in full and by the frame renderer.
//
// The plate's controls can be set at once or noted and applied later: a frame that shows a trace
// in bitmap mode hides every footprint and shows the trace's own, and only where each control
// ends up is applied, once.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "display/PressLookup.h"
#include "layout/SensorLayout.h"

namespace korvi {

class MessageBoxes;

class Footprints {
  public:
    explicit Footprints(SensorLayout& layout) : layout_(layout) {}

    // Loads the sixteen pictures from `folder`. When one is missing or no picture, the user is
    // told which and none is kept.
    bool Load(const QString& folder, MessageBoxes& boxes);
    // Picture k is Foot_k.bmp (all empty before a load and after a failed one).
    const std::array<QImage, PressImageCount>& Pictures() const { return pictures_; }
    // The footprint for a pressure with white made see-through; null when none applies.
    const QImage* MaskedFor(int16_t pressure) const;
    // The same footprint as a stamp; null when none applies or the picture needs a painter.
    const Stamp* StampFor(int16_t pressure) const;

    // Shows sensor `index`'s footprint on the plate centred at (bx, by) (twips relative to the
    // plate), or hides it, where it is, for pressure 0. While noting, only what the control will
    // show is noted.
    void ShowOnPlate(int index, int32_t bx, int32_t by, int16_t pressure);
    void SetNoting(bool noting) { noting_ = noting; }
    // Notes every control hidden (a trace scene then notes its own footprints shown).
    void NoteAllHidden();
    bool HasNoted() const { return noted_ != 0; }
    // Applies what was noted to each control once.
    void ApplyNoted();

  private:
    SensorLayout& layout_;
    std::array<QImage, PressImageCount> pictures_{};
    std::array<QImage, PressImageCount> masked_{};
    std::array<Stamp, PressImageCount> stamps_{};

    struct ControlState {
        bool visible = false;
        int number = 0;  // picture to show; 0 keeps the control's picture and place
        float left = 0;
        float top = 0;
    };
    std::array<ControlState, SensorCount> states_{};
    uint32_t noted_ = 0;  // controls with a noted state (bits 0..15)
    bool noting_ = false;
};

}  // namespace korvi

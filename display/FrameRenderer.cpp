#include "display/FrameRenderer.h"

#include "display/Footprints.h"
#include "display/PanelMapping.h"
#include "platform/Units.h"

namespace korvi {

FrameRenderer::FrameRenderer(SensorLayout& layout, const MarkStyle& style, const TraceRing& trace,
                             Footprints& footprints)
    : layout_(layout),
      style_(style),
      trace_(trace),
      footprints_(footprints),
      scene_(layout, style, footprints, circles_, plateBackground_) {
    frameTimer_.setSingleShot(true);
    frameTimer_.setInterval(kFrameMs);
    QObject::connect(&frameTimer_, &QTimer::timeout, [this] { Flush(); });

    // Whoever draws on a display surface or reads it gets the pending drawing first.
    for (int i = 0; i < SensorCount; ++i) {
        layout_.picPressSens[i]->canvas().setPendingHook([this, i] {
            if (pending_ == Pending::TraceScene && (scenePanels_ >> i & 1u) != 0) {
                Flush();
            }
        });
    }
    layout_.picBaseSens->canvas().setPendingHook([this] {
        if (pending_ != Pending::None) {
            Flush();
        }
        if (!flushing_) {
            scene_.LandHiddenPlateMarks();
        }
    });
    // A paint that shows part of the plate the panels hid (one was moved or hidden) shows the
    // marks there.
    layout_.picBaseSens->canvas().setShowHook([this](const QRegion& area) {
        if (!flushing_ && scene_.HidesMarksIn(area)) {
            scene_.LandHiddenPlateMarks();
        }
    });
}

FrameRenderer::~FrameRenderer() {
    for (PictureBox* panel : layout_.picPressSens) {
        panel->canvas().setPendingHook({});
    }
    layout_.picBaseSens->canvas().setPendingHook({});
    layout_.picBaseSens->canvas().setShowHook({});
}

Canvas& FrameRenderer::CanvasAt(int index) {
    return index == kPlateBit ? layout_.picBaseSens->canvas()
                              : layout_.picPressSens[index]->canvas();
}

void FrameRenderer::PendPlateDots(int panel, const PressMark& mark) {
    pending_ = Pending::PlateDots;
    dotsPanel_ = panel;
    dotsMark_ = mark;
    dotsLast_ = layout_.LastPress;
}

void FrameRenderer::PendTraceScene(uint32_t panels, bool plate, int orgPanel) {
    pending_ = Pending::TraceScene;
    scenePanels_ = panels;
    scenePlate_ = plate;
    sceneOrgPanel_ = orgPanel;
}

void FrameRenderer::ScheduleFrame() {
    if (!frameTimer_.isActive()) {
        frameTimer_.start();
    }
}

uint32_t FrameRenderer::VisiblePanels() const {
    if (!visiblePanelsKnown_ || visiblePanelsAt_ != PictureBox::VisibilityChanges()) {
        uint32_t shown = 0;
        for (int i = 0; i < SensorCount; ++i) {
            if (layout_.picPressSens[i]->Visible()) {
                shown |= 1u << i;
            }
        }
        visiblePanels_ = shown;
        visiblePanelsAt_ = PictureBox::VisibilityChanges();
        visiblePanelsKnown_ = true;
    }
    return visiblePanels_;
}

void FrameRenderer::Flush() {
    if (flushing_ || (pending_ == Pending::None && touched_ == 0 && !footprints_.HasNoted())) {
        return;
    }
    flushing_ = true;
    std::array<bool, SensorCount + 1> held{};
    for (int i = 0; i <= kPlateBit; ++i) {
        held[i] = CanvasAt(i).changeNoticesHeld();
        CanvasAt(i).holdChangeNotices(true);
    }
    const Pending pending = pending_;
    // Cleared first: anything drawn from here on lands in order.
    pending_ = Pending::None;
    if (pending == Pending::PlateDots) {
        RenderPlateDots();
        touched_ |= 1u << kPlateBit;
    } else if (pending == Pending::TraceScene) {
        touched_ |=
            scene_.Render(trace_, scenePanels_, scenePlate_, sceneOrgPanel_, VisiblePanels());
    }
    footprints_.ApplyNoted();
    for (int i = 0; i <= kPlateBit; ++i) {
        CanvasAt(i).holdChangeNotices(held[i]);
    }
    const uint32_t touched = touched_;
    touched_ = 0;
    frameTimer_.stop();
    for (int i = 0; i <= kPlateBit; ++i) {
        if ((touched >> i & 1u) != 0) {
            CanvasAt(i).refresh();
        }
    }
    flushing_ = false;
}

void FrameRenderer::RenderPlateDots() {
    PictureBox& plate = *layout_.picBaseSens;
    ScaleModeGuard twips(plate.canvas(), ScaleMode::Twips);
    plateBackground_.Paint(layout_, VisiblePanels(), true);
    for (int k = 0; k < SensorCount; ++k) {
        const PictureBox& other = *layout_.picPressSens[k];
        if (k == dotsPanel_ || !other.Visible()) {
            continue;
        }
        const PressMark& last = dotsLast_[k];
        DrawDotOnPlate(other, last.MarkX, last.MarkY, last.MarkPress, last.MarkColor,
                       last.MarkRadius);
    }
    DrawDotOnPlate(*layout_.picPressSens[dotsPanel_], dotsMark_.MarkX, dotsMark_.MarkY,
                   dotsMark_.MarkPress, dotsMark_.MarkColor, dotsMark_.MarkRadius);
}

void FrameRenderer::DrawDotOnPlate(const PictureBox& panel, double mx, double my, int16_t pressure,
                                   uint32_t color, int32_t radius) {
    PictureBox& plate = *layout_.picBaseSens;
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate) || pressure < 1) {
        return;
    }
    Canvas& canvas = plate.canvas();
    canvas.setFillStyle(FillStyle::Solid);
    canvas.setFillColor(color);
    if (pressure <= style_.setting.PressThresh) {
        const double left = static_cast<double>(panel.Left()) - plate.Left();
        const double top = static_cast<double>(panel.Top()) - plate.Top();
        canvas.box(left, top, left + panel.Width(), top + panel.Height(), color, true);
    } else {
        circles_.Draw(canvas, b.x / kTwipsPerPixel, b.y / kTwipsPerPixel, radius, color);
    }
    canvas.refresh();
    canvas.setFillStyle(FillStyle::Transparent);
}

}  // namespace korvi

// The frame renderer: what of the press display reaches the surfaces, and when. Readings can come
// far faster than a screen can show them, so drawing that the next reading would overwrite anyway
// is kept pending and drawn once per frame: the base plate in dot mode (it depends only on the
// layout, its picture and every sensor's last mark) and, with the trace on, every panel and the
// plate (the cleared display plus the trace, see TraceScene). Pending drawing lands before anyone
// else draws on those surfaces or reads their pixels (the canvases' pending hooks), before the
// display's own commands, and at the latest one frame after the reading; the result is pixel for
// pixel what drawing every reading in full gives.
//
// The press rules decide what a reading does and tell the renderer what is pending; the renderer
// owns the caches that make a frame cheap (the plate's background, the circle stamps, the trace
// scene) and the drawing primitives the rules share with it, so that both put down the same
// pixels.
#pragma once

#include <QTimer>
#include <array>
#include <cstdint>

#include "display/CircleStamps.h"
#include "display/PlateBackground.h"
#include "display/PressLookup.h"
#include "display/TraceRing.h"
#include "display/TraceScene.h"
#include "layout/SensorLayout.h"

namespace korvi {

class Footprints;

class FrameRenderer {
  public:
    // Takes over the pending hooks of the layout's panels and plate (given back on destruction).
    FrameRenderer(SensorLayout& layout, const MarkStyle& style, const TraceRing& trace,
                  Footprints& footprints);
    ~FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // Milliseconds between a reading and the latest moment its drawing lands.
    static constexpr int kFrameMs = 10;

    // What is pending: nothing, the plate rebuilt with the dots, or the whole display cleared
    // with the trace drawn over it.
    enum class Pending { None, PlateDots, TraceScene };
    Pending pending() const { return pending_; }
    // The panels of the pending trace scene.
    uint32_t scenePanels() const { return scenePanels_; }

    // The plate to be rebuilt: its background, every other shown panel's last mark as they are
    // now (layout.LastPress) and `mark` of `panel` on top.
    void PendPlateDots(int panel, const PressMark& mark);
    // The scene of the trace to be drawn on `panels` (bit i for panel i) and, with `plate`, on
    // the plate; `orgPanel`'s origin mark on top of its marks.
    void PendTraceScene(uint32_t panels, bool plate, int orgPanel);
    // A surface drawn on at once (bit i for panel i, bit 16 for the plate): shown with the frame.
    void NoteDrawn(int index) { touched_ |= 1u << index; }
    // Makes sure a frame comes within kFrameMs.
    void ScheduleFrame();
    // Draws whatever is pending now and shows every surface drawn on (the frame does this).
    void Flush();

    // The panels shown (bit i for panel i), looked at again only when some panel was shown or
    // hidden: every reading asks.
    uint32_t VisiblePanels() const;

    CircleStamps& Circles() { return circles_; }
    // A sensor's mark in dot mode on the plate where its panel lies over it: its circle, or for a
    // light touch (pressure up to the threshold) the panel's whole area in its colour. Nothing for
    // a mark off the plate or no pressure. (mx, my) are pixels of `panel`.
    void DrawDotOnPlate(const PictureBox& panel, double mx, double my, int16_t pressure,
                        uint32_t color, int32_t radius);

  private:
    static constexpr int kPlateBit = SensorCount;

    Canvas& CanvasAt(int index);
    void RenderPlateDots();

    SensorLayout& layout_;
    const MarkStyle& style_;
    const TraceRing& trace_;
    Footprints& footprints_;
    CircleStamps circles_;
    PlateBackground plateBackground_;
    TraceScene scene_;

    bool flushing_ = false;
    Pending pending_ = Pending::None;
    // Pending plate with dots: the panel of the newest reading, its mark, and every sensor's
    // last mark as they were then.
    int dotsPanel_ = 0;
    PressMark dotsMark_{};
    std::array<PressMark, SensorCount + 1> dotsLast_{};
    // Pending trace scene: the panels and plate shown at the reading, and the panel whose origin
    // mark is drawn last.
    uint32_t scenePanels_ = 0;
    bool scenePlate_ = false;
    int sceneOrgPanel_ = 0;
    // Panels (bits 0..15) and plate (bit 16) drawn on since the last frame.
    uint32_t touched_ = 0;
    QTimer frameTimer_;

    mutable uint32_t visiblePanels_ = 0;
    mutable uint64_t visiblePanelsAt_ = 0;
    mutable bool visiblePanelsKnown_ = false;
};

}  // namespace korvi

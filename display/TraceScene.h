// The trace scene: every shown panel cleared to white with its origin mark and the ring's marks
// stamped over it, and the same marks on the plate over its background (footprints in bitmap
// mode stand on the plate's picture controls instead). With the trace on, each reading would
// clear and redraw all of it; a frame shows only the last state, so the scene is kept up to date
// rather than drawn anew:
// - marks that left the ring are undone by putting back the tiles they covered (from each
//   panel's prepared background and the plate's background) and stamping again, clipped to those
//   tiles, the marks that remain there; new marks are stamped on top;
// - each surface remembers its change count right after the last scene: a surface anyone else
//   drew on since is drawn whole again, as is everything when the look of the marks, the panels
//   or the ring's emptying changed;
// - the plate's marks are left out where the panels stacked above it hide them whole; they land
//   when a paint shows those tiles or someone reads or draws on the plate. The rest of the plate
//   is always up to date.
// The result is pixel for pixel what clearing the display and drawing the trace mark by mark
// gives.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "display/CircleStamps.h"
#include "display/PlateBackground.h"
#include "display/PressLookup.h"
#include "display/TraceRing.h"
#include "layout/SensorLayout.h"

namespace korvi {

class Footprints;

class TraceScene {
  public:
    TraceScene(SensorLayout& layout, const MarkStyle& style, Footprints& footprints,
               CircleStamps& circles, PlateBackground& plateBackground);

    // Brings the panels of `panels` (bit i for panel i) and, with `plate`, the plate in step with
    // the ring; `orgPanel`'s origin mark is drawn over its marks, the others' under them.
    // `visiblePanels` holds bit i for every panel shown. Returns the surfaces it drew on (bits
    // 0..15 the panels, bit 16 the plate).
    uint32_t Render(const TraceRing& ring, uint32_t panels, bool plate, int orgPanel,
                    uint32_t visiblePanels);

    // Whether marks were left out under panels in some tile of `area` (plate pixels).
    bool HidesMarksIn(const QRegion& area) const;
    // Lands the marks left out under the panels (the scene's marks as the plate last showed
    // them); nothing when the plate was drawn on since.
    void LandHiddenPlateMarks();

  private:
    static constexpr int kPlateBit = SensorCount;

    // One mark of the ring as the scene draws it: its stamp on the panel and on the plate (null
    // where nothing is drawn there), a footprint painted without a stamp, and where the
    // footprint stands on the plate in bitmap mode.
    struct SceneMark {
        int16_t panel = -1;  // -1: shown nowhere
        int16_t pressure = 0;
        uint32_t fill = 0;  // the panel's fill colour once the mark is drawn
        const Stamp* panelShape = nullptr;
        const QImage* panelPicture = nullptr;
        int panelX = 0;
        int panelY = 0;
        const Stamp* plateShape = nullptr;
        int plateX = 0;
        int plateY = 0;
        bool footprintOnPlate = false;
        int32_t plateBx = 0;
        int32_t plateBy = 0;
    };
    // A surface as the last scene left it.
    struct SceneSurface {
        uint64_t generation = 0;
        bool valid = false;
        bool orgOnTop = false;  // the panel's origin mark was drawn over its marks
    };
    // Each panel cleared to white with its origin mark, as a scene starts it: prepared once and
    // put back where the last scene drew, instead of clearing the whole panel every frame.
    struct PanelBackground {
        int width = 0;
        int height = 0;
        int16_t rotation = 0;
        qint64 picture = 0;
        QImage image;
        double currentX = 0;  // where the origin mark leaves the drawing position
        double currentY = 0;
    };

    // A digest of everything besides the marks that decides how the scene looks on the panels
    // and where their marks fall on the plate: the colour table, the mode, the panels shown,
    // their sizes, pictures, turns and places.
    uint64_t Context() const;
    SceneMark MakeSceneMark(int16_t panel, const PressMark& mark);
    void StampSceneMark(Canvas& canvas, const SceneMark& mark, bool onPlate, const TileSet* clip);
    // Stamps a mark on the plate except where the panels hide it whole; true when it drew.
    bool StampPlateMark(Canvas& base, const SceneMark& mark);
    // Works out the hidden tiles again when the covering panels moved, showed, hid or changed
    // size; true when they did.
    bool UpdatePlateCover();
    void PaintPanelBackground(int index);
    // Brings the panels in step; returns those it drew on.
    uint32_t RenderPanels(size_t kept, bool keep, bool painted);
    // Brings the plate in step; true when it drew on it.
    bool RenderPlate(size_t kept, bool keep, uint32_t visiblePanels);

    SensorLayout& layout_;
    const MarkStyle& style_;
    Footprints& footprints_;
    CircleStamps& circles_;
    PlateBackground& plateBackground_;

    // The scene being drawn: the panels and plate shown at the reading, and the panel whose
    // origin mark is drawn last.
    uint32_t panels_ = 0;
    bool plate_ = false;
    int orgPanel_ = 0;

    std::array<SceneSurface, SensorCount + 1> shown_{};
    std::array<PanelBackground, SensorCount> panelBackgrounds_{};
    PlateBackground::Key plateKey_{};
    std::deque<SceneMark> marks_;  // the ring's marks as the scene shows them, oldest first
    uint64_t first_ = 0;           // the ring's number of marks_.front()
    uint64_t resets_ = 0;
    uint64_t context_ = 0;
    bool valid_ = false;
    std::array<TileSet, SensorCount + 1> dirty_{};

    std::vector<QRect> plateCover_;
    TileSet plateHidden_;
    TileSet plateShown_;  // every other tile of the plate
    bool plateHiddenStale_ = false;
};

}  // namespace korvi

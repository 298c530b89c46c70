#include "display/TraceScene.h"

#include <algorithm>
#include <cstring>

#include "display/Footprints.h"
#include "display/PanelMapping.h"
#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

TraceScene::TraceScene(SensorLayout& layout, const MarkStyle& style, Footprints& footprints,
                       CircleStamps& circles, PlateBackground& plateBackground)
    : layout_(layout),
      style_(style),
      footprints_(footprints),
      circles_(circles),
      plateBackground_(plateBackground) {}

uint64_t TraceScene::Context() const {
    // FNV-1a.
    uint64_t h = 1469598103934665603u;
    auto mix = [&h](uint64_t v) {
        for (int b = 0; b < 8; ++b) {
            h = (h ^ (v & 0xFFu)) * 1099511628211u;
            v >>= 8;
        }
    };
    auto bits = [](float v) {
        uint32_t out = 0;
        std::memcpy(&out, &v, sizeof out);
        return static_cast<uint64_t>(out);
    };
    const DrawSetting& setting = style_.setting;
    mix(static_cast<uint16_t>(setting.PressThresh));
    mix(setting.PressColorTable.size());
    for (const PressColorEntry& band : setting.PressColorTable) {
        mix(static_cast<uint64_t>(static_cast<uint16_t>(band.PressLow)) |
            static_cast<uint64_t>(static_cast<uint16_t>(band.PressHigh)) << 16 |
            static_cast<uint64_t>(static_cast<uint32_t>(band.Color)) << 32);
        mix(static_cast<uint16_t>(band.Radius));
    }
    mix(static_cast<uint64_t>(panels_) << 2 | (plate_ ? 2u : 0u) | (style_.bmpMode ? 1u : 0u));
    for (int i = 0; i < SensorCount; ++i) {
        if ((panels_ >> i & 1u) == 0) {
            continue;
        }
        const PictureBox& panel = *layout_.picPressSens[i];
        const Canvas& canvas = panel.canvas();
        mix(static_cast<uint64_t>(static_cast<uint32_t>(canvas.pixelWidth())) << 32 |
            static_cast<uint32_t>(canvas.pixelHeight()));
        mix(static_cast<uint64_t>(canvas.picture().cacheKey()));
        mix(static_cast<uint64_t>(static_cast<uint16_t>(layout_.SensorRotation[i])) << 32 |
            static_cast<uint64_t>(canvas.drawWidth()) << 1 |
            (canvas.fillStyle() == FillStyle::Solid ? 1u : 0u));
        mix(bits(panel.Left()) << 32 | bits(panel.Top()));
        mix(bits(panel.Width()) << 32 | bits(panel.Height()));
    }
    const Canvas& base = layout_.picBaseSens->canvas();
    mix(static_cast<uint64_t>(base.drawWidth()));
    return h;
}

TraceScene::SceneMark TraceScene::MakeSceneMark(int16_t panelIndex, const PressMark& mark) {
    // As the rules draw a trace entry in full: the colour and radius of the draw setting in
    // force, not those stored with the mark.
    SceneMark out;
    if (panelIndex < 0 || panelIndex >= SensorCount || (panels_ >> panelIndex & 1u) == 0) {
        return out;
    }
    out.panel = panelIndex;
    PictureBox& panel = *layout_.picPressSens[panelIndex];
    Canvas& canvas = panel.canvas();
    const int16_t mx = RoundEven16(mark.MarkX);
    const int16_t my = RoundEven16(mark.MarkY);
    const int16_t pressure = mark.MarkPress;
    out.pressure = pressure;
    const MarkLook look = LookOfPress(style_.setting.PressColorTable, pressure, canvas.backColor());
    if (style_.bmpMode) {
        out.fill = kWhite;
        if (const Stamp* stamp = style_.footprints.StampFor(pressure)) {
            out.panelShape = stamp;
            out.panelX = mx - static_cast<int>(FootprintOffset);
            out.panelY = my - static_cast<int>(FootprintOffset);
        } else if (const QImage* footprint = style_.footprints.MaskedFor(pressure)) {
            out.panelPicture = footprint;
            out.panelX = mx - static_cast<int>(FootprintOffset);
            out.panelY = my - static_cast<int>(FootprintOffset);
        }
    } else {
        out.fill = look.color;
        if (pressure > style_.setting.PressThresh) {
            const bool solid = canvas.fillStyle() == FillStyle::Solid;
            out.panelShape = &circles_.For(
                {look.radius, look.color, solid ? look.color : 0, solid, canvas.drawWidth()});
            const int centre = out.panelShape->width() / 2;
            out.panelX = mx - centre;
            out.panelY = my - centre;
        }
    }
    if (!plate_) {
        return out;
    }
    PictureBox& plate = *layout_.picBaseSens;
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate)) {
        return out;
    }
    if (style_.bmpMode) {
        out.footprintOnPlate = true;
        out.plateBx = b.x;
        out.plateBy = b.y;
    } else if (pressure > 0 && pressure > style_.setting.PressThresh) {
        const Canvas& base = plate.canvas();
        out.plateShape =
            &circles_.For({look.radius, look.color, look.color, true, base.drawWidth()});
        const int centre = out.plateShape->width() / 2;
        out.plateX = RoundEven32(b.x / kTwipsPerPixel) - centre;
        out.plateY = RoundEven32(b.y / kTwipsPerPixel) - centre;
    }
    return out;
}

void TraceScene::StampSceneMark(Canvas& canvas, const SceneMark& mark, bool onPlate,
                                const TileSet* clip) {
    const Stamp* shape = onPlate ? mark.plateShape : mark.panelShape;
    const int x = onPlate ? mark.plateX : mark.panelX;
    const int y = onPlate ? mark.plateY : mark.panelY;
    if (!onPlate) {
        canvas.setFillColor(mark.fill);
        if (mark.panelPicture != nullptr) {
            canvas.paintPicture(*mark.panelPicture, x, y);
            return;
        }
    }
    if (shape == nullptr) {
        return;
    }
    if (clip == nullptr) {
        canvas.stamp(*shape, x, y);
    } else if (clip->intersects(x, y, shape->width(), shape->height())) {
        canvas.stamp(*shape, x, y, *clip);
    }
}

bool TraceScene::UpdatePlateCover() {
    const PictureBox& plate = *layout_.picBaseSens;
    const Canvas& base = plate.canvas();
    std::vector<QRect> cover = plate.coveringRects(plate.rect());
    if (cover == plateCover_ && plateHidden_.widthPixels() == base.pixelWidth() &&
        plateHidden_.heightPixels() == base.pixelHeight()) {
        return false;
    }
    plateCover_ = std::move(cover);
    plateHidden_.reset(base.pixelWidth(), base.pixelHeight());
    for (const QRect& r : plateCover_) {
        plateHidden_.addInside(r.x(), r.y(), r.width(), r.height());
    }
    plateShown_.reset(base.pixelWidth(), base.pixelHeight());
    plateShown_.addAllBut(plateHidden_);
    return true;
}

bool TraceScene::StampPlateMark(Canvas& base, const SceneMark& mark) {
    const Stamp* shape = mark.plateShape;
    if (shape == nullptr) {
        return false;
    }
    if (plateHidden_.intersects(mark.plateX, mark.plateY, shape->width(), shape->height())) {
        plateHiddenStale_ = true;
        if (plateHidden_.covers(mark.plateX, mark.plateY, shape->width(), shape->height())) {
            return false;
        }
        base.stamp(*shape, mark.plateX, mark.plateY, plateShown_);
        return true;
    }
    base.stamp(*shape, mark.plateX, mark.plateY);
    return true;
}

bool TraceScene::HidesMarksIn(const QRegion& area) const {
    if (!plateHiddenStale_) {
        return false;
    }
    for (const QRect& r : area) {
        if (plateHidden_.intersects(r.x(), r.y(), r.width(), r.height())) {
            return true;
        }
    }
    return false;
}

void TraceScene::LandHiddenPlateMarks() {
    if (!plateHiddenStale_) {
        return;
    }
    plateHiddenStale_ = false;  // first: the drawing below comes back through the hooks
    Canvas& base = layout_.picBaseSens->canvas();
    SceneSurface& shown = shown_[kPlateBit];
    if (!shown.valid || shown.generation != base.generation()) {
        return;  // drawn over since: what was left out is gone with the rest
    }
    {
        ChangeNoticeHold hold(base);
        base.restoreTiles(plateBackground_.Image(), plateHidden_);
        for (const SceneMark& mark : marks_) {
            StampSceneMark(base, mark, true, &plateHidden_);
        }
    }
    shown.generation = base.generation();
}

uint32_t TraceScene::Render(const TraceRing& ring, uint32_t panels, bool plate, int orgPanel,
                            uint32_t visiblePanels) {
    panels_ = panels;
    plate_ = plate;
    orgPanel_ = orgPanel;
    if (!plate_) {
        // The plate is left as it stands, marks under the panels included.
        LandHiddenPlateMarks();
    }
    // Bring the scene's marks in step with the ring: those that left it are dropped (their
    // tiles to be put back), those stored since are added.
    const TraceRing::Span span = ring.OldestFirst();
    const uint64_t end = ring.Stored();
    const uint64_t first = end - static_cast<uint64_t>(span.count);
    const uint64_t shownEnd = first_ + marks_.size();
    const uint64_t context = Context();
    const PlateBackground::Key plateKey = PlateBackground::KeyOf(layout_, visiblePanels, false);
    const bool keep = valid_ && context == context_ && ring.Resets() == resets_ &&
                      plateKey == plateKey_ && first >= first_ && first <= shownEnd &&
                      end >= shownEnd;
    for (int i = 0; i <= kPlateBit; ++i) {
        const Canvas& canvas =
            i == kPlateBit ? layout_.picBaseSens->canvas() : layout_.picPressSens[i]->canvas();
        dirty_[i].reset(canvas.pixelWidth(), canvas.pixelHeight());
    }
    size_t kept = 0;
    if (keep) {
        for (; first_ < first; ++first_) {
            const SceneMark& gone = marks_.front();
            if (gone.panelShape != nullptr) {
                dirty_[gone.panel].add(gone.panelX, gone.panelY, gone.panelShape->width(),
                                       gone.panelShape->height());
            }
            if (gone.plateShape != nullptr) {
                dirty_[kPlateBit].add(gone.plateX, gone.plateY, gone.plateShape->width(),
                                      gone.plateShape->height());
            }
            marks_.pop_front();
        }
        kept = marks_.size();
    } else {
        marks_.clear();
        first_ = first;
    }
    for (uint64_t n = first_ + marks_.size(); n < end; ++n) {
        const auto position = static_cast<int>((static_cast<uint64_t>(span.start) + (n - first)) %
                                               static_cast<uint64_t>(std::max(ring.Size(), 1)));
        marks_.push_back(MakeSceneMark(ring.TraceSensor[position], ring.TraceMarks[position]));
    }
    bool painted = false;  // a footprint that only a painter draws: every surface drawn whole
    for (const SceneMark& mark : marks_) {
        painted = painted || mark.panelPicture != nullptr;
    }
    context_ = context;
    resets_ = ring.Resets();
    plateKey_ = plateKey;
    valid_ = true;

    uint32_t drawn = RenderPanels(kept, keep, painted);
    if (plate_ && RenderPlate(kept, keep, visiblePanels)) {
        drawn |= 1u << kPlateBit;
    }
    return drawn;
}

uint32_t TraceScene::RenderPanels(size_t kept, bool keep, bool painted) {
    // Each panel is first made ready (drawn whole from its background, or the tiles of the
    // marks gone put back); then one pass over the marks stamps what each panel needs.
    enum class Redraw : uint8_t { Skip, Whole, Tiles, NewOnly };
    std::array<Redraw, SensorCount> redraw{};
    std::array<bool, SensorCount> panelChanged{};
    for (int i = 0; i < SensorCount; ++i) {
        if ((panels_ >> i & 1u) == 0) {
            continue;
        }
        Canvas& canvas = layout_.picPressSens[i]->canvas();
        const SceneSurface& shown = shown_[i];
        if (!keep || painted || !shown.valid || shown.generation != canvas.generation()) {
            PaintPanelBackground(i);
            redraw[i] = Redraw::Whole;
            panelChanged[i] = true;
            continue;
        }
        TileSet& dirty = dirty_[i];
        const bool orgOnTop = i == orgPanel_;
        if (shown.orgOnTop && !orgOnTop) {
            // The origin mark goes back under the marks.
            const QRect org =
                OrgMarkArea(canvas.pixelWidth(), canvas.pixelHeight(), layout_.SensorRotation[i]);
            dirty.add(org.x(), org.y(), org.width(), org.height());
        }
        redraw[i] = Redraw::NewOnly;
        if (!dirty.empty()) {
            canvas.restoreTiles(panelBackgrounds_[i].image, dirty);
            redraw[i] = Redraw::Tiles;
            panelChanged[i] = true;
        }
        panelChanged[i] = panelChanged[i] || (orgOnTop && !shown.orgOnTop);
    }
    size_t number = 0;
    for (const SceneMark& mark : marks_) {
        const bool added = number++ >= kept;
        if (mark.panel < 0) {
            continue;
        }
        const auto i = static_cast<size_t>(mark.panel);
        Canvas& canvas = layout_.picPressSens[i]->canvas();
        switch (redraw[i]) {
            case Redraw::Skip:
                break;
            case Redraw::Whole:
                StampSceneMark(canvas, mark, false, nullptr);
                break;
            case Redraw::Tiles:
            case Redraw::NewOnly:
                if (added) {
                    StampSceneMark(canvas, mark, false, nullptr);
                    panelChanged[i] = true;
                } else if (redraw[i] == Redraw::Tiles) {
                    StampSceneMark(canvas, mark, false, &dirty_[i]);
                }
                break;
        }
    }
    uint32_t drawn = 0;
    for (int i = 0; i < SensorCount; ++i) {
        if (!panelChanged[i]) {
            continue;  // it already shows the scene
        }
        PictureBox& panel = *layout_.picPressSens[i];
        const bool orgOnTop = i == orgPanel_;
        if (orgOnTop) {
            DrawOrgMark(panel, layout_.SensorRotation[i], kBlack);
        }
        shown_[i] = {panel.canvas().generation(), true, orgOnTop};
        drawn |= 1u << i;
    }
    return drawn;
}

bool TraceScene::RenderPlate(size_t kept, bool keep, uint32_t visiblePanels) {
    Canvas& base = layout_.picBaseSens->canvas();
    SceneSurface& shown = shown_[kPlateBit];
    const bool coverChanged = UpdatePlateCover();
    const bool whole =
        !keep || coverChanged || !shown.valid || shown.generation != base.generation();
    bool changed = whole;
    if (whole) {
        plateHiddenStale_ = false;
        plateBackground_.Paint(layout_, visiblePanels, false);
        for (const SceneMark& mark : marks_) {
            StampPlateMark(base, mark);
        }
    } else {
        TileSet& dirty = dirty_[kPlateBit];
        if (dirty.subtract(plateHidden_)) {
            plateHiddenStale_ = true;  // a mark left the trace under a panel
        }
        if (!dirty.empty()) {
            base.restoreTiles(plateBackground_.Image(), dirty);
            for (size_t m = 0; m < kept; ++m) {
                StampSceneMark(base, marks_[m], true, &dirty);
            }
            changed = true;
        }
        for (size_t m = kept; m < marks_.size(); ++m) {
            changed = StampPlateMark(base, marks_[m]) || changed;
        }
    }
    if (style_.bmpMode) {
        // Every footprint is hidden, then the trace shows its own: worked out first, applied to
        // each control once.
        footprints_.NoteAllHidden();
        footprints_.SetNoting(true);
        for (const SceneMark& mark : marks_) {
            if (mark.footprintOnPlate) {
                footprints_.ShowOnPlate(mark.panel, mark.plateBx, mark.plateBy, mark.pressure);
            }
        }
        footprints_.SetNoting(false);
        footprints_.ApplyNoted();
    }
    if (changed) {
        shown = {base.generation(), true, false};
    }
    return changed;
}

void TraceScene::PaintPanelBackground(int index) {
    PictureBox& panel = *layout_.picPressSens[index];
    Canvas& canvas = panel.canvas();
    const int16_t rotation = layout_.SensorRotation[index];
    // Cleared once, straight to white (clear then white clears twice).
    canvas.setBackColorKeepingDrawing(kWhite);
    PanelBackground& prepared = panelBackgrounds_[index];
    if (!prepared.image.isNull() && prepared.width == canvas.pixelWidth() &&
        prepared.height == canvas.pixelHeight() && prepared.rotation == rotation &&
        prepared.picture == canvas.picture().cacheKey()) {
        canvas.restoreFrom(prepared.image);
        canvas.setCurrent(prepared.currentX, prepared.currentY);
        return;
    }
    canvas.cls();
    DrawOrgMark(panel, rotation, kBlack);
    prepared = {
        canvas.pixelWidth(), canvas.pixelHeight(), rotation,         canvas.picture().cacheKey(),
        canvas.image(),      canvas.currentX(),    canvas.currentY()};
}

}  // namespace korvi

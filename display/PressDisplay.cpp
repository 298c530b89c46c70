#include "display/PressDisplay.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "display/Beep.h"
#include "display/ClearDisplay.h"
#include "display/PanelMapping.h"
#include "layout/BaseImages.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/MessageBoxes.h"
#include "platform/Units.h"

namespace korvi {

namespace {

// Footprints are 32 x 32 pictures centred on the mark.
constexpr double kFootprintOffset = 16.0;
constexpr int kPlateBit = SensorCount;

}  // namespace

PressDisplay::PressDisplay(SensorLayout& layout, const DrawSetting& setting, SoundOutput& sound,
                           MessageBoxes& boxes, Clock& clock, QString bmpDir)
    : layout_(layout),
      setting_(setting),
      sound_(sound),
      boxes_(boxes),
      clock_(clock),
      bmpDir_(std::move(bmpDir)),
      beeps_(kBeepMs) {
    frameTimer_.setSingleShot(true);
    frameTimer_.setInterval(kFrameMs);
    QObject::connect(&frameTimer_, &QTimer::timeout, [this] { FlushDisplay(); });
    beepTimer_.setSingleShot(true);
    QObject::connect(&beepTimer_, &QTimer::timeout, [this] {
        if (const auto due = beeps_.Due(clock_.ticks())) {
            BeepForPress(sound_, *due);
        } else if (beeps_.HasKept()) {
            beepTimer_.start(static_cast<int>(beeps_.WaitMs(clock_.ticks())));
        }
    });

    // Whoever draws on a display surface or reads it gets the pending drawing first.
    for (int i = 0; i < SensorCount; ++i) {
        layout_.picPressSens[i]->canvas().setPendingHook([this, i] {
            if (pending_ == Pending::TraceScene && (scenePanels_ >> i & 1u) != 0) {
                FlushDisplay();
            }
        });
    }
    layout_.picBaseSens->canvas().setPendingHook([this] {
        if (pending_ != Pending::None) {
            FlushDisplay();
        }
        if (!flushing_) {
            LandHiddenPlateMarks();
        }
    });
    // A paint that shows part of the plate the panels hid (one was moved or hidden) shows the
    // marks there.
    layout_.picBaseSens->canvas().setShowHook([this](const QRegion& area) {
        if (!plateHiddenStale_ || flushing_) {
            return;
        }
        for (const QRect& r : area) {
            if (plateHidden_.intersects(r.x(), r.y(), r.width(), r.height())) {
                LandHiddenPlateMarks();
                return;
            }
        }
    });
}

PressDisplay::~PressDisplay() {
    for (PictureBox* panel : layout_.picPressSens) {
        panel->canvas().setPendingHook({});
    }
    layout_.picBaseSens->canvas().setPendingHook({});
    layout_.picBaseSens->canvas().setShowHook({});
}

void PressDisplay::SetLazy(bool lazy) {
    FlushDisplay();
    lazy_ = lazy;
}

void PressDisplay::DrawReading(int16_t sensor, int16_t pressure, int16_t x, int16_t y) {
    if (sensor < 0 || sensor >= SensorCount) {
        return;
    }
    const int displayIndex = layout_.SensorMerged[sensor] ? 0 : sensor;
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    if (!panel.Visible()) {
        // Only the origin mark is redrawn; nothing is stored, traced or sounded.
        DrawOrgMark(panel, layout_.SensorRotation[displayIndex], kBlack);
        return;
    }
    if (lazy_) {
        DrawReadingDeferred(sensor, displayIndex, pressure, x, y);
    } else {
        DrawReadingInFull(sensor, displayIndex, pressure, x, y);
    }
}

void PressDisplay::MarkLook(int16_t pressure, uint32_t backColor, uint32_t& color,
                            int32_t& radius) const {
    color = backColor;
    radius = 0;
    if (pressure >= 1) {
        color = GetPressColor(setting_.PressColorTable, pressure);
        radius = GetPressRadius(setting_.PressColorTable, pressure);
    }
}

void PressDisplay::DrawPanelMark(Canvas& canvas, int16_t sensor, int16_t pressure, int16_t x,
                                 int16_t y, double px, double py, uint32_t color, int32_t radius) {
    // Erase the sensor's previous mark; after a merge it lies on the host panel.
    const PressMark& previous = layout_.LastPress[sensor];
    canvas.setFillColor(canvas.backColor());
    DrawCircle(canvas, previous.MarkX, previous.MarkY, previous.MarkRadius, canvas.backColor());

    if (bmpMode_) {
        canvas.setFillColor(kWhite);
        canvas.setBackColor(kWhite);
        if (const QImage* footprint = FootprintFor(pressure)) {
            canvas.paintPicture(*footprint, px - kFootprintOffset, py - kFootprintOffset);
        }
        return;
    }
    canvas.setFillColor(color);
    if (pressure > setting_.PressThresh) {
        DrawCircle(canvas, px, py, radius, color);
    } else if (pressure != 0) {
        // A light touch floods the whole panel.
        canvas.setBackColor(color);
    } else if (sensor == 0 && x == 0 && y == 0) {
        canvas.setBackColor(kWhite);
    }
}

const Stamp& PressDisplay::CircleStamp(const CircleKey& key) {
    auto found = circles_.find(key);
    if (found == circles_.end()) {
        // The circle drawn once on a transparent picture, centred on a whole pixel, as a panel
        // draws it.
        const int centre = std::max(key.radius, 0) + key.drawWidth + 2;
        QImage shape(2 * centre + 1, 2 * centre + 1, QImage::Format_ARGB32_Premultiplied);
        shape.fill(Qt::transparent);
        QPainter painter(&shape);
        QPen pen(ToQColor(key.color));
        pen.setWidth(key.drawWidth);
        painter.setPen(pen);
        if (key.solid) {
            painter.setBrush(ToQColor(key.fill));
        }
        painter.drawEllipse(QPointF(centre, centre), key.radius, key.radius);
        painter.end();
        found = circles_.emplace(key, Stamp(shape)).first;
    }
    return found->second;
}

void PressDisplay::DrawCircle(Canvas& canvas, double x, double y, int32_t radius, uint32_t color) {
    const bool solid = canvas.fillStyle() == FillStyle::Solid;
    const Stamp& shape =
        CircleStamp({radius, color, solid ? canvas.fillColor() : 0, solid, canvas.drawWidth()});
    // Marks sit on whole pixels (the plate's twips round to the nearest one).
    const int centre = shape.width() / 2;
    canvas.stamp(shape, RoundEven32(x) - centre, RoundEven32(y) - centre);
}

void PressDisplay::MirrorBitmap(int displayIndex, double px, double py, int16_t pressure) {
    PictureBox& plate = *layout_.picBaseSens;
    const BasePoint b = BasePosition(*layout_.picPressSens[displayIndex], px, py, plate);
    if (IsOnPlate(b, plate)) {
        ShowBmpOnBase(displayIndex, b.x, b.y, pressure);
    }
}

void PressDisplay::DrawReadingInFull(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                                     int16_t y) {
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    Canvas& canvas = panel.canvas();
    {
        ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
        const PanelPoint p = MapToPanel(layout_.SensorRotation[displayIndex], x, y,
                                        canvas.scaleWidth(), canvas.scaleHeight());
        uint32_t color = 0;
        int32_t radius = 0;
        MarkLook(pressure, canvas.backColor(), color, radius);
        DrawPanelMark(canvas, sensor, pressure, x, y, p.x, p.y, color, radius);

        if (layout_.picBaseSens->Visible()) {
            if (bmpMode_) {
                MirrorBitmap(displayIndex, p.x, p.y, pressure);
            } else {
                MirrorDots(displayIndex, p.x, p.y, pressure, color, radius);
            }
        }

        StoreReading(sensor, displayIndex,
                     PressMark{static_cast<float>(p.x), static_cast<float>(p.y), pressure, radius,
                               color, layout_.SensorRotation[sensor]});
    }

    if (chkSound && !setting_.HasSoundFiles) {
        Beep(pressure);
    }
    if (chkTrace) {
        RedrawTrace();
    } else {
        trace_.Reset();
    }
    DrawOrgMark(panel, layout_.SensorRotation[displayIndex], kBlack);
}

// Remembers the reading and, with the trace on, keeps it in the ring on the panel it was drawn
// on; for a merged sensor that is its own record, not the host's last one.
void PressDisplay::StoreReading(int16_t sensor, int displayIndex, const PressMark& mark) {
    layout_.LastPress[sensor] = mark;
    if (chkTrace && mark.MarkPress > setting_.PressThresh) {
        trace_.Store(static_cast<int16_t>(displayIndex), mark);
    }
}

void PressDisplay::DrawReadingDeferred(int16_t sensor, int displayIndex, int16_t pressure,
                                       int16_t x, int16_t y) {
    // A pending trace scene is history once the trace is off: this reading draws over it.
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    Canvas& canvas = panel.canvas();
    PictureBox& plate = *layout_.picBaseSens;
    const bool plateShown = plate.Visible();
    // Pending drawing that this reading does not replace lands first.
    if ((pending_ == Pending::TraceScene && !chkTrace) ||
        (pending_ == Pending::PlateDots && !plateShown)) {
        FlushDisplay();
    }
    {
        ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
        const PanelPoint p = MapToPanel(layout_.SensorRotation[displayIndex], x, y,
                                        canvas.scaleWidth(), canvas.scaleHeight());
        uint32_t color = 0;
        int32_t radius = 0;
        MarkLook(pressure, canvas.backColor(), color, radius);

        if (!chkTrace) {
            // Without the trace the panel keeps what was drawn before: draw now.
            ChangeNoticeHold hold(canvas);
            DrawPanelMark(canvas, sensor, pressure, x, y, p.x, p.y, color, radius);
            touched_ |= 1u << displayIndex;
        }
        // With the trace on, the clear that comes with the trace covers the panel; only the
        // background colour it leaves matters, and that is set below.

        if (plateShown) {
            if (bmpMode_) {
                // With the trace on, the footprints on the plate are settled once per frame.
                recordImages_ = chkTrace;
                MirrorBitmap(displayIndex, p.x, p.y, pressure);
                recordImages_ = false;
            } else if (!chkTrace) {
                // Every later reading repaints the whole plate: keep just what it needs.
                pending_ = Pending::PlateDots;
                dotsPanel_ = displayIndex;
                dotsMark_ = PressMark{
                    static_cast<float>(p.x), static_cast<float>(p.y), pressure, radius, color, 0};
                dotsLast_ = layout_.LastPress;
            }
        }

        StoreReading(sensor, displayIndex,
                     PressMark{static_cast<float>(p.x), static_cast<float>(p.y), pressure, radius,
                               color, layout_.SensorRotation[sensor]});
    }

    if (chkSound && !setting_.HasSoundFiles) {
        Beep(pressure);
    }
    if (chkTrace) {
        // The display is cleared and the trace drawn over it, once per frame.
        const uint32_t shown = VisiblePanels();
        // A scene already pending for the same panels has set them white (a real change of the
        // colour would have landed the scene first).
        if (pending_ != Pending::TraceScene || scenePanels_ != shown) {
            for (int i = 0; i < SensorCount; ++i) {
                if ((shown >> i & 1u) != 0) {
                    layout_.picPressSens[i]->canvas().setBackColorKeepingDrawing(kWhite);
                }
            }
        }
        pending_ = Pending::TraceScene;
        scenePanels_ = shown;
        scenePlate_ = plateShown;
        sceneOrgPanel_ = displayIndex;
    } else {
        trace_.Reset();
        ChangeNoticeHold hold(canvas);
        DrawOrgMark(panel, layout_.SensorRotation[displayIndex], kBlack);
    }
    ScheduleFrame();
}

uint32_t PressDisplay::VisiblePanels() const {
    // Looked at again only when a panel was shown or hidden: every reading asks.
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

void PressDisplay::ScheduleFrame() {
    if (!frameTimer_.isActive()) {
        frameTimer_.start();
    }
}

void PressDisplay::Beep(int16_t pressure) {
    if (const auto now = beeps_.Offer(pressure, clock_.ticks())) {
        BeepForPress(sound_, *now);
    } else if (!beepTimer_.isActive()) {
        beepTimer_.start(static_cast<int>(beeps_.WaitMs(clock_.ticks())));
    }
}

void PressDisplay::FlushDisplay() {
    if (flushing_ || (pending_ == Pending::None && touched_ == 0 && pendingImages_ == 0)) {
        return;
    }
    flushing_ = true;
    std::array<bool, SensorCount + 1> held{};
    auto canvasAt = [this](int i) -> Canvas& {
        return i == kPlateBit ? layout_.picBaseSens->canvas() : layout_.picPressSens[i]->canvas();
    };
    for (int i = 0; i <= kPlateBit; ++i) {
        held[i] = canvasAt(i).changeNoticesHeld();
        canvasAt(i).holdChangeNotices(true);
    }
    const Pending pending = pending_;
    // Cleared first: anything drawn from here on lands in order.
    pending_ = Pending::None;
    if (pending == Pending::PlateDots) {
        RenderPlateDots();
        touched_ |= 1u << kPlateBit;
    } else if (pending == Pending::TraceScene) {
        RenderTraceScene();
        touched_ |= sceneDrawn_;
    }
    ApplyImageStates();
    for (int i = 0; i <= kPlateBit; ++i) {
        canvasAt(i).holdChangeNotices(held[i]);
    }
    const uint32_t touched = touched_;
    touched_ = 0;
    frameTimer_.stop();
    for (int i = 0; i <= kPlateBit; ++i) {
        if ((touched >> i & 1u) != 0) {
            canvasAt(i).refresh();
        }
    }
    flushing_ = false;
}

void PressDisplay::RenderPlateDots() {
    PictureBox& plate = *layout_.picBaseSens;
    ScaleModeGuard twips(plate.canvas(), ScaleMode::Twips);
    PaintPlateBackground(true);
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

uint64_t PressDisplay::SceneContext() const {
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
    mix(static_cast<uint16_t>(setting_.PressThresh));
    mix(setting_.PressColorTable.size());
    for (const PressColorEntry& band : setting_.PressColorTable) {
        mix(static_cast<uint64_t>(static_cast<uint16_t>(band.PressLow)) |
            static_cast<uint64_t>(static_cast<uint16_t>(band.PressHigh)) << 16 |
            static_cast<uint64_t>(static_cast<uint32_t>(band.Color)) << 32);
        mix(static_cast<uint16_t>(band.Radius));
    }
    mix(static_cast<uint64_t>(scenePanels_) << 2 | (scenePlate_ ? 2u : 0u) | (bmpMode_ ? 1u : 0u));
    for (int i = 0; i < SensorCount; ++i) {
        if ((scenePanels_ >> i & 1u) == 0) {
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

PressDisplay::SceneMark PressDisplay::MakeSceneMark(int16_t panelIndex, const PressMark& mark) {
    // As DrawTraceEntry draws the mark: the colour and radius of the draw setting in force.
    SceneMark out;
    if (panelIndex < 0 || panelIndex >= SensorCount || (scenePanels_ >> panelIndex & 1u) == 0) {
        return out;
    }
    out.panel = panelIndex;
    PictureBox& panel = *layout_.picPressSens[panelIndex];
    Canvas& canvas = panel.canvas();
    const int16_t mx = RoundEven16(mark.MarkX);
    const int16_t my = RoundEven16(mark.MarkY);
    const int16_t pressure = mark.MarkPress;
    out.pressure = pressure;
    uint32_t color = 0;
    int32_t radius = 0;
    MarkLook(pressure, canvas.backColor(), color, radius);
    if (bmpMode_) {
        out.fill = kWhite;
        const int number = PressImageNumber(pressure);
        if (number >= 1 && !pressStamps_[number - 1].empty()) {
            out.panelShape = &pressStamps_[number - 1];
            out.panelX = mx - static_cast<int>(kFootprintOffset);
            out.panelY = my - static_cast<int>(kFootprintOffset);
        } else if (const QImage* footprint = FootprintFor(pressure)) {
            out.panelPicture = footprint;
            out.panelX = mx - static_cast<int>(kFootprintOffset);
            out.panelY = my - static_cast<int>(kFootprintOffset);
        }
    } else {
        out.fill = color;
        if (pressure > setting_.PressThresh) {
            CircleKey key{radius, color, canvas.fillStyle() == FillStyle::Solid ? color : 0,
                          canvas.fillStyle() == FillStyle::Solid, canvas.drawWidth()};
            out.panelShape = &CircleStamp(key);
            const int centre = out.panelShape->width() / 2;
            out.panelX = mx - centre;
            out.panelY = my - centre;
        }
    }
    if (!scenePlate_) {
        return out;
    }
    PictureBox& plate = *layout_.picBaseSens;
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate)) {
        return out;
    }
    if (bmpMode_) {
        out.footprintOnPlate = true;
        out.plateBx = b.x;
        out.plateBy = b.y;
    } else if (pressure > 0 && pressure > setting_.PressThresh) {
        const Canvas& base = plate.canvas();
        out.plateShape = &CircleStamp(CircleKey{radius, color, color, true, base.drawWidth()});
        const int centre = out.plateShape->width() / 2;
        out.plateX = RoundEven32(b.x / kTwipsPerPixel) - centre;
        out.plateY = RoundEven32(b.y / kTwipsPerPixel) - centre;
    }
    return out;
}

void PressDisplay::StampSceneMark(Canvas& canvas, const SceneMark& mark, bool onPlate,
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

bool PressDisplay::UpdatePlateCover() {
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

bool PressDisplay::StampPlateMark(Canvas& base, const SceneMark& mark) {
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

void PressDisplay::LandHiddenPlateMarks() {
    if (!plateHiddenStale_) {
        return;
    }
    plateHiddenStale_ = false;  // first: the drawing below comes back through the hooks
    Canvas& base = layout_.picBaseSens->canvas();
    SceneSurface& shown = sceneShown_[kPlateBit];
    if (!shown.valid || shown.generation != base.generation()) {
        return;  // drawn over since: what was left out is gone with the rest
    }
    {
        ChangeNoticeHold hold(base);
        base.restoreTiles(background_, plateHidden_);
        for (const SceneMark& mark : sceneMarks_) {
            StampSceneMark(base, mark, true, &plateHidden_);
        }
    }
    shown.generation = base.generation();
}

void PressDisplay::RenderTraceScene() {
    if (!scenePlate_) {
        // The plate is left as it stands, marks under the panels included.
        LandHiddenPlateMarks();
    }
    // Bring the scene's marks in step with the ring: those that left it are dropped (their
    // tiles to be put back), those stored since are added.
    const TraceRing::Span span = trace_.OldestFirst();
    const uint64_t end = trace_.Stored();
    const uint64_t first = end - static_cast<uint64_t>(span.count);
    const uint64_t shownEnd = sceneFirst_ + sceneMarks_.size();
    const uint64_t context = SceneContext();
    const PlateBackgroundKey plateKey = BackgroundKey(false);
    const bool keep = sceneValid_ && context == sceneContext_ && trace_.Resets() == sceneResets_ &&
                      plateKey == scenePlateKey_ && first >= sceneFirst_ && first <= shownEnd &&
                      end >= shownEnd;
    auto canvasAt = [this](int i) -> Canvas& {
        return i == kPlateBit ? layout_.picBaseSens->canvas() : layout_.picPressSens[i]->canvas();
    };
    for (int i = 0; i <= kPlateBit; ++i) {
        sceneDirty_[i].reset(canvasAt(i).pixelWidth(), canvasAt(i).pixelHeight());
    }
    size_t kept = 0;
    bool painted = false;  // a footprint that only a painter draws: every surface drawn whole
    if (keep) {
        for (; sceneFirst_ < first; ++sceneFirst_) {
            const SceneMark& gone = sceneMarks_.front();
            if (gone.panelShape != nullptr) {
                sceneDirty_[gone.panel].add(gone.panelX, gone.panelY, gone.panelShape->width(),
                                            gone.panelShape->height());
            }
            if (gone.plateShape != nullptr) {
                sceneDirty_[kPlateBit].add(gone.plateX, gone.plateY, gone.plateShape->width(),
                                           gone.plateShape->height());
            }
            sceneMarks_.pop_front();
        }
        kept = sceneMarks_.size();
    } else {
        sceneMarks_.clear();
        sceneFirst_ = first;
    }
    for (uint64_t n = sceneFirst_ + sceneMarks_.size(); n < end; ++n) {
        const auto position = static_cast<int>((static_cast<uint64_t>(span.start) + (n - first)) %
                                               static_cast<uint64_t>(std::max(trace_.Size(), 1)));
        sceneMarks_.push_back(
            MakeSceneMark(trace_.TraceSensor[position], trace_.TraceMarks[position]));
    }
    for (const SceneMark& mark : sceneMarks_) {
        painted = painted || mark.panelPicture != nullptr;
    }
    sceneContext_ = context;
    sceneResets_ = trace_.Resets();
    scenePlateKey_ = plateKey;
    sceneValid_ = true;

    // Each panel is first made ready (drawn whole from its background, or the tiles of the
    // marks gone put back); then one pass over the marks stamps what each panel needs.
    enum class Redraw : uint8_t { Skip, Whole, Tiles, NewOnly };
    std::array<Redraw, SensorCount> redraw{};
    std::array<bool, SensorCount> panelChanged{};
    for (int i = 0; i < SensorCount; ++i) {
        if ((scenePanels_ >> i & 1u) == 0) {
            continue;
        }
        Canvas& canvas = layout_.picPressSens[i]->canvas();
        const SceneSurface& shown = sceneShown_[i];
        if (!keep || painted || !shown.valid || shown.generation != canvas.generation()) {
            PaintPanelBackground(i);
            redraw[i] = Redraw::Whole;
            panelChanged[i] = true;
            continue;
        }
        TileSet& dirty = sceneDirty_[i];
        const bool orgOnTop = i == sceneOrgPanel_;
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
    for (const SceneMark& mark : sceneMarks_) {
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
                    StampSceneMark(canvas, mark, false, &sceneDirty_[i]);
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
        const bool orgOnTop = i == sceneOrgPanel_;
        if (orgOnTop) {
            DrawOrgMark(panel, layout_.SensorRotation[i], kBlack);
        }
        sceneShown_[i] = {panel.canvas().generation(), true, orgOnTop};
        drawn |= 1u << i;
    }

    if (scenePlate_) {
        Canvas& base = layout_.picBaseSens->canvas();
        SceneSurface& shown = sceneShown_[kPlateBit];
        const bool coverChanged = UpdatePlateCover();
        const bool whole =
            !keep || coverChanged || !shown.valid || shown.generation != base.generation();
        bool changed = whole;
        if (whole) {
            plateHiddenStale_ = false;
            PaintPlateBackground(false);
            for (const SceneMark& mark : sceneMarks_) {
                StampPlateMark(base, mark);
            }
        } else {
            TileSet& dirty = sceneDirty_[kPlateBit];
            if (dirty.subtract(plateHidden_)) {
                plateHiddenStale_ = true;  // a mark left the trace under a panel
            }
            if (!dirty.empty()) {
                base.restoreTiles(background_, dirty);
                for (size_t m = 0; m < kept; ++m) {
                    StampSceneMark(base, sceneMarks_[m], true, &dirty);
                }
                changed = true;
            }
            for (size_t m = kept; m < sceneMarks_.size(); ++m) {
                changed = StampPlateMark(base, sceneMarks_[m]) || changed;
            }
        }
        if (bmpMode_) {
            // Every footprint is hidden, then the trace shows its own: worked out first, applied
            // to each control once.
            for (int k = 0; k < SensorCount; ++k) {
                imageStates_[k].visible = false;
            }
            pendingImages_ = (1u << SensorCount) - 1;
            recordImages_ = true;
            for (const SceneMark& mark : sceneMarks_) {
                if (mark.footprintOnPlate) {
                    ShowBmpOnBase(mark.panel, mark.plateBx, mark.plateBy, mark.pressure);
                }
            }
            recordImages_ = false;
            ApplyImageStates();
        }
        if (changed) {
            shown = {base.generation(), true, false};
            drawn |= 1u << kPlateBit;
        }
    }
    sceneDrawn_ = drawn;
}

void PressDisplay::PaintPanelBackground(int index) {
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

PressDisplay::PlateBackgroundKey PressDisplay::BackgroundKey(bool picturePainted) const {
    const PictureBox& plate = *layout_.picBaseSens;
    const Canvas& canvas = plate.canvas();
    PlateBackgroundKey key;
    key.picture = canvas.picture().cacheKey();
    key.pixelWidth = canvas.pixelWidth();
    key.pixelHeight = canvas.pixelHeight();
    key.plate = {plate.Left(), plate.Top(), plate.Width(), plate.Height()};
    key.backColor = canvas.backColor();
    key.drawWidth = canvas.drawWidth();
    key.frames = layout_.ShowSensorFrames;
    key.picturePainted = picturePainted;
    key.visible = plate.Visible() ? VisiblePanels() | 1u << kPlateBit : 0u;
    for (int i = 0; i < SensorCount; ++i) {
        const PictureBox& panel = *layout_.picPressSens[i];
        if ((key.visible >> i & 1u) != 0) {
            key.panels[i] = {panel.Left(), panel.Top(), panel.Width(), panel.Height()};
        }
    }
    return key;
}

void PressDisplay::PaintPlateBackground(bool picturePainted) {
    Canvas& canvas = layout_.picBaseSens->canvas();
    const PlateBackgroundKey key = BackgroundKey(picturePainted);
    if (!background_.isNull() && key == backgroundKey_) {
        canvas.restoreFrom(background_);
        canvas.setCurrent(0, 0);
        return;
    }
    canvas.cls();
    if (picturePainted) {
        RepaintBaseImage(layout_);
    }
    DrawSensorFrames(layout_, layout_.ShowSensorFrames);
    background_ = canvas.image();
    backgroundKey_ = key;
}

void PressDisplay::MirrorDots(int displayIndex, double px, double py, int16_t pressure,
                              uint32_t color, int32_t radius) {
    PictureBox& plate = *layout_.picBaseSens;
    ScaleModeGuard twips(plate.canvas(), ScaleMode::Twips);
    plate.canvas().cls();
    RepaintBaseImage(layout_);
    DrawSensorFrames(layout_, layout_.ShowSensorFrames);

    for (int k = 0; k < SensorCount; ++k) {
        const PictureBox& other = *layout_.picPressSens[k];
        if (k == displayIndex || !other.Visible()) {
            continue;
        }
        const PressMark& last = layout_.LastPress[k];
        DrawDotOnPlate(other, last.MarkX, last.MarkY, last.MarkPress, last.MarkColor,
                       last.MarkRadius);
    }
    DrawDotOnPlate(*layout_.picPressSens[displayIndex], px, py, pressure, color, radius);
}

void PressDisplay::DrawDotOnPlate(const PictureBox& panel, double mx, double my, int16_t pressure,
                                  uint32_t color, int32_t radius) {
    PictureBox& plate = *layout_.picBaseSens;
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate) || pressure < 1) {
        return;
    }
    Canvas& canvas = plate.canvas();
    canvas.setFillStyle(FillStyle::Solid);
    canvas.setFillColor(color);
    if (pressure <= setting_.PressThresh) {
        const double left = static_cast<double>(panel.Left()) - plate.Left();
        const double top = static_cast<double>(panel.Top()) - plate.Top();
        canvas.box(left, top, left + panel.Width(), top + panel.Height(), color, true);
    } else {
        DrawCircle(canvas, b.x / kTwipsPerPixel, b.y / kTwipsPerPixel, radius, color);
    }
    canvas.refresh();
    canvas.setFillStyle(FillStyle::Transparent);
}

void PressDisplay::ShowBmpOnBase(int index, int32_t bx, int32_t by, int16_t pressure) {
    if (index < 0 || index >= SensorCount) {
        return;
    }
    ImageControl& image = *layout_.imgBmpOnBase[index];
    double width = image.Width();
    double height = image.Height();
    if (recordImages_ && imageStates_[index].number != 0) {
        // The control takes the size of the picture noted for it.
        const QImage& noted = pressBmp_[imageStates_[index].number - 1];
        width = static_cast<float>(PixelsToTwips(noted.width()));
        height = static_cast<float>(PixelsToTwips(noted.height()));
    }
    const int32_t left = RoundEven32(bx - width / 2.0);
    const int32_t top = RoundEven32(by - height / 2.0);
    const int number = PressImageNumber(pressure);
    const bool shown = pressure != 0 && number != 0 && !pressBmp_[number - 1].isNull();
    if (recordImages_) {
        // Only the last call for a control decides where it stands and whether it shows.
        ImageState& state = imageStates_[index];
        state.visible = shown;
        if (shown) {
            state.number = number;
            state.left = static_cast<float>(left);
            state.top = static_cast<float>(top);
        }
        pendingImages_ |= 1u << index;
        return;
    }
    if (!shown) {
        image.hide();
        return;
    }
    const QImage& footprint = pressBmp_[number - 1];
    if (image.picture().cacheKey() != footprint.cacheKey()) {
        image.setPicture(footprint);
    }
    image.Move(static_cast<float>(left), static_cast<float>(top), image.Width(), image.Height());
    image.show();
}

void PressDisplay::ApplyImageStates() {
    for (int k = 0; k < SensorCount; ++k) {
        if ((pendingImages_ >> k & 1u) == 0) {
            continue;
        }
        ImageControl& image = *layout_.imgBmpOnBase[k];
        ImageState& state = imageStates_[k];
        if (state.number != 0) {
            const QImage& footprint = pressBmp_[state.number - 1];
            if (image.picture().cacheKey() != footprint.cacheKey()) {
                image.setPicture(footprint);
            }
            if (image.Left() != state.left || image.Top() != state.top) {
                image.Move(state.left, state.top, image.Width(), image.Height());
            }
        }
        image.setVisible(state.visible);
        state = ImageState{};
    }
    pendingImages_ = 0;
}

void PressDisplay::RedrawTrace() {
    FlushDisplay();
    const TraceRing::Span span = trace_.OldestFirst();
    ClearDisplay(layout_);
    const bool plateShown = layout_.picBaseSens->Visible();
    int position = span.start;
    for (int n = 0; n < span.count; ++n) {
        const int16_t k = trace_.TraceSensor[position];
        const bool panelShown = k >= 0 && k < SensorCount && layout_.picPressSens[k]->Visible();
        DrawTraceEntry(k, trace_.TraceMarks[position], panelShown, plateShown);
        position = trace_.NextPosition(position);
    }
}

void PressDisplay::DrawTraceEntry(int16_t panelIndex, const PressMark& mark, bool panelShown,
                                  bool plateShown) {
    if (!panelShown) {
        return;
    }
    PictureBox& panel = *layout_.picPressSens[panelIndex];
    Canvas& canvas = panel.canvas();
    ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
    const int16_t mx = RoundEven16(mark.MarkX);
    const int16_t my = RoundEven16(mark.MarkY);
    const int16_t pressure = mark.MarkPress;

    // Colour and radius follow the draw setting in force, not what was stored.
    uint32_t color = 0;
    int32_t radius = 0;
    MarkLook(pressure, canvas.backColor(), color, radius);

    if (bmpMode_) {
        canvas.setFillColor(kWhite);
        const int number = PressImageNumber(pressure);
        if (number >= 1 && !pressStamps_[number - 1].empty()) {
            // A whole-pixel place: the footprint's opaque pixels copied as they are.
            canvas.stamp(pressStamps_[number - 1], mx - static_cast<int>(kFootprintOffset),
                         my - static_cast<int>(kFootprintOffset));
        } else if (const QImage* footprint = FootprintFor(pressure)) {
            canvas.paintPicture(*footprint, mx - kFootprintOffset, my - kFootprintOffset);
        }
    } else {
        canvas.setFillColor(color);
        if (pressure > setting_.PressThresh) {
            DrawCircle(canvas, mx, my, radius, color);
        }
    }

    PictureBox& plate = *layout_.picBaseSens;
    if (!plateShown) {
        return;
    }
    const BasePoint b = BasePosition(panel, mx, my, plate);
    if (!IsOnPlate(b, plate)) {
        return;
    }
    if (bmpMode_) {
        ShowBmpOnBase(panelIndex, b.x, b.y, pressure);
        return;
    }
    if (pressure <= 0) {
        return;
    }
    Canvas& base = plate.canvas();
    ScaleModeGuard twips(base, ScaleMode::Twips);
    base.setFillStyle(FillStyle::Solid);
    base.setFillColor(color);
    if (pressure > setting_.PressThresh) {
        DrawCircle(base, b.x / kTwipsPerPixel, b.y / kTwipsPerPixel, radius, color);
    }
    base.refresh();
    base.setFillStyle(FillStyle::Transparent);
}

void PressDisplay::ResetTrace() {
    FlushDisplay();
    trace_.Resize(setting_.TraceSize);
}

QString PressDisplay::DisplayModeCaption(bool bmpMode) {
    return bmpMode ? QStringLiteral("BMP表示") : QStringLiteral("点表示");
}

void PressDisplay::ResetTraceCounters() {
    FlushDisplay();
    trace_.Reset();
}

QString PressDisplay::ToggleBmpMode() {
    FlushDisplay();
    if (!bmpMode_ && !LoadFootprints()) {
        return DisplayModeCaption();
    }
    bmpMode_ = !bmpMode_;
    ClearDisplay(layout_);
    trace_.Reset();
    return DisplayModeCaption();
}

bool PressDisplay::LoadFootprints() {
    std::array<QImage, PressImageCount> loaded{};
    const QDir folder(bmpDir_);
    for (int i = 0; i < PressImageCount; ++i) {
        const QString path = folder.filePath(QStringLiteral("Foot_%1.bmp").arg(i));
        QString problem;
        if (!QFileInfo(path).isFile()) {
            problem = QStringLiteral(" が見つかりません。");
        } else {
            // A copy cut short is refused like a file that is no picture at all.
            loaded[i] = LoadBasePicture(path);
            if (loaded[i].isNull()) {
                problem = QStringLiteral(" を読み込めません。");
            }
        }
        if (!problem.isEmpty()) {
            pressBmp_ = {};
            pressBmpMasked_ = {};
            pressStamps_ = {};
            boxes_.show(QDir::toNativeSeparators(path) + problem + QStringLiteral("\r\n") +
                            QStringLiteral("設定ファイル(Setting.ini)の BMPファイルディレクトリ "
                                           "を確認してください。"),
                        QStringLiteral("ファイルエラー"), BoxIcon::Critical);
            return false;
        }
    }
    pressBmp_ = loaded;
    for (int i = 0; i < PressImageCount; ++i) {
        pressBmpMasked_[i] = WhiteAsTransparent(pressBmp_[i]);
        // A picture with see-through shades is blended by a painter; the rest is copied.
        bool opaqueOrClear = true;
        for (int row = 0; row < pressBmpMasked_[i].height() && opaqueOrClear; ++row) {
            const auto* line = reinterpret_cast<const QRgb*>(pressBmpMasked_[i].constScanLine(row));
            for (int col = 0; col < pressBmpMasked_[i].width(); ++col) {
                opaqueOrClear =
                    opaqueOrClear && (qAlpha(line[col]) == 0 || qAlpha(line[col]) == 255);
            }
        }
        pressStamps_[i] = opaqueOrClear ? Stamp(pressBmpMasked_[i]) : Stamp();
    }
    return true;
}

const QImage* PressDisplay::FootprintFor(int16_t pressure) const {
    const int number = PressImageNumber(pressure);
    if (number == 0 || pressBmpMasked_[number - 1].isNull()) {
        return nullptr;
    }
    return &pressBmpMasked_[number - 1];
}

void PressDisplay::ClearPresses() {
    FlushDisplay();
    ClearDisplay(layout_);
    trace_.Reset();
}

uint32_t TraceCheckBackColor(bool traceOn) {
    return traceOn ? kRed : kSysButtonFace;
}

}  // namespace korvi

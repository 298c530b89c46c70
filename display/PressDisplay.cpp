#include "display/PressDisplay.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>

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
    });
}

PressDisplay::~PressDisplay() {
    for (PictureBox* panel : layout_.picPressSens) {
        panel->canvas().setPendingHook({});
    }
    layout_.picBaseSens->canvas().setPendingHook({});
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

void PressDisplay::DrawCircle(Canvas& canvas, double x, double y, int32_t radius, uint32_t color) {
    const CircleKey key{radius, color,
                        canvas.fillStyle() == FillStyle::Solid ? canvas.fillColor() : 0,
                        canvas.fillStyle() == FillStyle::Solid, canvas.drawWidth()};
    auto found = circles_.find(key);
    if (found == circles_.end()) {
        // The circle drawn once on a transparent picture, centred on a whole pixel, as a panel
        // draws it.
        const int centre = std::max(radius, 0) + key.drawWidth + 2;
        QImage shape(2 * centre + 1, 2 * centre + 1, QImage::Format_ARGB32_Premultiplied);
        shape.fill(Qt::transparent);
        QPainter painter(&shape);
        QPen pen(ToQColor(color));
        pen.setWidth(key.drawWidth);
        painter.setPen(pen);
        if (key.solid) {
            painter.setBrush(ToQColor(key.fill));
        }
        painter.drawEllipse(QPointF(centre, centre), radius, radius);
        painter.end();
        found = circles_.emplace(key, Stamp(shape)).first;
    }
    // Marks sit on whole pixels (the plate's twips round to the nearest one).
    const int centre = found->second.width() / 2;
    canvas.stamp(found->second, RoundEven32(x) - centre, RoundEven32(y) - centre);
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
    uint32_t shown = 0;
    for (int i = 0; i < SensorCount; ++i) {
        if (layout_.picPressSens[i]->Visible()) {
            shown |= 1u << i;
        }
    }
    return shown;
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

std::array<uint64_t, SensorCount + 1> PressDisplay::SceneDigests() const {
    // FNV-1a over what the scene draws: per panel its marks in order (with the look they get
    // now) and whether its origin mark comes last; the plate sees every mark.
    constexpr uint64_t kOffset = 1469598103934665603u;
    constexpr uint64_t kPrime = 1099511628211u;
    auto mix = [](uint64_t& h, uint64_t v) {
        for (int b = 0; b < 8; ++b) {
            h = (h ^ (v & 0xFFu)) * kPrime;
            v >>= 8;
        }
    };
    std::array<uint64_t, SensorCount + 1> digest{};
    digest.fill(kOffset);
    for (uint64_t& h : digest) {
        mix(h, static_cast<uint16_t>(setting_.PressThresh));
    }
    for (int i = 0; i < SensorCount; ++i) {
        const PictureBox& panel = *layout_.picPressSens[i];
        mix(digest[i], static_cast<uint64_t>(layout_.SensorRotation[i]) << 32 |
                           (i == sceneOrgPanel_ ? 1u : 0u) << 1 | (bmpMode_ ? 1u : 0u));
        mix(digest[i], static_cast<uint64_t>(panel.canvas().picture().cacheKey()));
    }
    mix(digest[kPlateBit], (bmpMode_ ? 1u : 0u) | static_cast<uint64_t>(scenePanels_) << 1);
    const TraceRing::Span span = trace_.OldestFirst();
    int position = span.start;
    for (int n = 0; n < span.count; ++n) {
        const int16_t k = trace_.TraceSensor[position];
        const PressMark& m = trace_.TraceMarks[position];
        position = trace_.NextPosition(position);
        if (k < 0 || k >= SensorCount || (scenePanels_ >> k & 1u) == 0) {
            continue;
        }
        uint32_t color = 0;
        int32_t radius = 0;
        if (m.MarkPress >= 1) {
            color = GetPressColor(setting_.PressColorTable, m.MarkPress);
            radius = GetPressRadius(setting_.PressColorTable, m.MarkPress);
        }
        const uint64_t place = static_cast<uint64_t>(static_cast<uint16_t>(RoundEven16(m.MarkX))) |
                               static_cast<uint64_t>(static_cast<uint16_t>(RoundEven16(m.MarkY)))
                                   << 16 |
                               static_cast<uint64_t>(static_cast<uint16_t>(m.MarkPress)) << 32 |
                               static_cast<uint64_t>(static_cast<uint16_t>(k)) << 48;
        const uint64_t look = static_cast<uint64_t>(color) << 32 | static_cast<uint32_t>(radius);
        for (uint64_t* h : {&digest[k], &digest[kPlateBit]}) {
            mix(*h, place);
            mix(*h, look);
        }
    }
    for (int i = 0; i < SensorCount; ++i) {
        mix(digest[kPlateBit], digest[i]);
    }
    return digest;
}

void PressDisplay::RenderTraceScene() {
    const std::array<uint64_t, SensorCount + 1> digest = SceneDigests();
    auto unchanged = [this, &digest](int bit, const Canvas& canvas) {
        const SceneSurface& shown = sceneShown_[bit];
        return shown.valid && shown.digest == digest[bit] &&
               shown.generation == canvas.generation();
    };
    // Panels and plate that already show this scene are left alone.
    uint32_t draw = 0;
    for (int i = 0; i < SensorCount; ++i) {
        if ((scenePanels_ >> i & 1u) != 0 && !unchanged(i, layout_.picPressSens[i]->canvas())) {
            draw |= 1u << i;
        }
    }
    const bool plateKeyKept = BackgroundKey(false) == scenePlateKey_;
    const bool drawPlate = scenePlate_ && (bmpMode_ || !plateKeyKept ||
                                           !unchanged(kPlateBit, layout_.picBaseSens->canvas()));
    sceneDrawn_ = draw | (drawPlate ? 1u << kPlateBit : 0u);

    for (int i = 0; i < SensorCount; ++i) {
        if ((draw >> i & 1u) == 0) {
            continue;
        }
        PictureBox& panel = *layout_.picPressSens[i];
        // Cleared once, straight to white (clear then white clears twice).
        panel.canvas().setBackColorKeepingDrawing(kWhite);
        panel.canvas().cls();
        DrawOrgMark(panel, layout_.SensorRotation[i], kBlack);
    }
    if (drawPlate) {
        PaintPlateBackground(false);
        // Every footprint is hidden, then the trace shows its own: worked out first, applied
        // to each control once.
        for (int k = 0; k < SensorCount; ++k) {
            imageStates_[k].visible = false;
        }
        pendingImages_ = (1u << SensorCount) - 1;
        recordImages_ = true;
    }
    const TraceRing::Span span = trace_.OldestFirst();
    int position = span.start;
    for (int n = 0; n < span.count; ++n) {
        const int16_t k = trace_.TraceSensor[position];
        const bool panelShown = k >= 0 && k < SensorCount && (scenePanels_ >> k & 1u) != 0;
        const bool panelDrawn = panelShown && (draw >> k & 1u) != 0;
        if (panelDrawn || drawPlate) {
            DrawTraceEntry(k, trace_.TraceMarks[position], panelShown, drawPlate, panelDrawn);
        }
        position = trace_.NextPosition(position);
    }
    recordImages_ = false;
    ApplyImageStates();
    if ((draw >> sceneOrgPanel_ & 1u) != 0) {
        DrawOrgMark(*layout_.picPressSens[sceneOrgPanel_], layout_.SensorRotation[sceneOrgPanel_],
                    kBlack);
    }
    for (int i = 0; i < SensorCount; ++i) {
        if ((draw >> i & 1u) != 0) {
            sceneShown_[i] = {digest[i], layout_.picPressSens[i]->canvas().generation(), true};
        }
    }
    if (drawPlate) {
        sceneShown_[kPlateBit] = {digest[kPlateBit], layout_.picBaseSens->canvas().generation(),
                                  true};
        scenePlateKey_ = BackgroundKey(false);
    }
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
                                  bool plateShown, bool panelDrawn) {
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
    uint32_t color = canvas.backColor();
    int32_t radius = 0;
    if (pressure >= 1) {
        color = GetPressColor(setting_.PressColorTable, pressure);
        radius = GetPressRadius(setting_.PressColorTable, pressure);
    }

    if (!panelDrawn) {
        // The panel already shows this mark (see RenderTraceScene).
    } else if (bmpMode_) {
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

#include "display/PressDisplay.h"

#include "display/Beep.h"
#include "display/ClearDisplay.h"
#include "display/PanelMapping.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/Units.h"

namespace korvi {

PressDisplay::PressDisplay(SensorLayout& layout, const DrawSetting& setting, SoundOutput& sound,
                           MessageBoxes& boxes, Clock& clock, QString bmpDir)
    : layout_(layout),
      setting_(setting),
      sound_(sound),
      boxes_(boxes),
      clock_(clock),
      bmpDir_(std::move(bmpDir)),
      footprints_(layout),
      style_{setting, footprints_, false},
      renderer_(layout, style_, trace_, footprints_),
      beeps_(kBeepMs) {
    beepTimer_.setSingleShot(true);
    QObject::connect(&beepTimer_, &QTimer::timeout, [this] {
        if (const auto due = beeps_.Due(clock_.ticks())) {
            BeepForPress(sound_, *due);
        } else if (beeps_.HasKept()) {
            beepTimer_.start(static_cast<int>(beeps_.WaitMs(clock_.ticks())));
        }
    });
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
    if (peakMapOn_) {
        DrawPeakReading(sensor, displayIndex, pressure, x, y);
    } else if (lazy_) {
        DrawReadingDeferred(sensor, displayIndex, pressure, x, y);
    } else {
        DrawReadingInFull(sensor, displayIndex, pressure, x, y);
    }
}

void PressDisplay::DrawPanelMark(Canvas& canvas, int16_t sensor, int16_t pressure, int16_t x,
                                 int16_t y, double px, double py, const MarkLook& look) {
    // Erase the sensor's previous mark; after a merge it lies on the host panel.
    const PressMark& previous = layout_.LastPress[sensor];
    CircleStamps& circles = renderer_.Circles();
    canvas.setFillColor(canvas.backColor());
    circles.Draw(canvas, previous.MarkX, previous.MarkY, previous.MarkRadius, canvas.backColor());

    if (style_.bmpMode) {
        canvas.setFillColor(kWhite);
        canvas.setBackColor(kWhite);
        if (const QImage* footprint = footprints_.MaskedFor(pressure)) {
            canvas.paintPicture(*footprint, px - FootprintOffset, py - FootprintOffset);
        }
        return;
    }
    canvas.setFillColor(look.color);
    if (pressure > setting_.PressThresh) {
        circles.Draw(canvas, px, py, look.radius, look.color);
    } else if (pressure != 0) {
        // A light touch floods the whole panel.
        canvas.setBackColor(look.color);
    } else if (sensor == 0 && x == 0 && y == 0) {
        canvas.setBackColor(kWhite);
    }
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
        const MarkLook look = LookOfPress(setting_.PressColorTable, pressure, canvas.backColor());
        DrawPanelMark(canvas, sensor, pressure, x, y, p.x, p.y, look);

        if (layout_.picBaseSens->Visible()) {
            if (style_.bmpMode) {
                MirrorBitmap(displayIndex, p.x, p.y, pressure);
            } else {
                MirrorDots(displayIndex, p.x, p.y, pressure, look);
            }
        }

        StoreReading(sensor, displayIndex,
                     PressMark{static_cast<float>(p.x), static_cast<float>(p.y), pressure,
                               look.radius, look.color, layout_.SensorRotation[sensor]});
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
    using Pending = FrameRenderer::Pending;
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    Canvas& canvas = panel.canvas();
    PictureBox& plate = *layout_.picBaseSens;
    const bool plateShown = plate.Visible();
    // Pending drawing that this reading does not replace lands first: a pending trace scene is
    // history once the trace is off, and this reading draws over it.
    if ((renderer_.pending() == Pending::TraceScene && !chkTrace) ||
        (renderer_.pending() == Pending::PlateDots && !plateShown)) {
        FlushDisplay();
    }
    {
        ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
        const PanelPoint p = MapToPanel(layout_.SensorRotation[displayIndex], x, y,
                                        canvas.scaleWidth(), canvas.scaleHeight());
        const MarkLook look = LookOfPress(setting_.PressColorTable, pressure, canvas.backColor());

        if (!chkTrace) {
            // Without the trace the panel keeps what was drawn before: draw now.
            ChangeNoticeHold hold(canvas);
            DrawPanelMark(canvas, sensor, pressure, x, y, p.x, p.y, look);
            renderer_.NoteDrawn(displayIndex);
        }
        // With the trace on, the clear that comes with the trace covers the panel; only the
        // background colour it leaves matters, and that is set below.

        if (plateShown) {
            if (style_.bmpMode) {
                // With the trace on, the footprints on the plate are settled once per frame.
                footprints_.SetNoting(chkTrace);
                MirrorBitmap(displayIndex, p.x, p.y, pressure);
                footprints_.SetNoting(false);
            } else if (!chkTrace) {
                // Every later reading repaints the whole plate: keep just what it needs.
                renderer_.PendPlateDots(displayIndex,
                                        PressMark{static_cast<float>(p.x), static_cast<float>(p.y),
                                                  pressure, look.radius, look.color, 0});
            }
        }

        StoreReading(sensor, displayIndex,
                     PressMark{static_cast<float>(p.x), static_cast<float>(p.y), pressure,
                               look.radius, look.color, layout_.SensorRotation[sensor]});
    }

    if (chkSound && !setting_.HasSoundFiles) {
        Beep(pressure);
    }
    if (chkTrace) {
        // The display is cleared and the trace drawn over it, once per frame.
        const uint32_t shown = renderer_.VisiblePanels();
        // A scene already pending for the same panels has set them white (a real change of the
        // colour would have landed the scene first).
        if (renderer_.pending() != Pending::TraceScene || renderer_.scenePanels() != shown) {
            for (int i = 0; i < SensorCount; ++i) {
                if ((shown >> i & 1u) != 0) {
                    layout_.picPressSens[i]->canvas().setBackColorKeepingDrawing(kWhite);
                }
            }
        }
        renderer_.PendTraceScene(shown, plateShown, displayIndex);
    } else {
        trace_.Reset();
        ChangeNoticeHold hold(canvas);
        DrawOrgMark(panel, layout_.SensorRotation[displayIndex], kBlack);
    }
    renderer_.ScheduleFrame();
}

void PressDisplay::DrawPeakReading(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                                   int16_t y) {
    PictureBox& panel = *layout_.picPressSens[displayIndex];
    Canvas& canvas = panel.canvas();
    {
        ChangeNoticeHold hold(canvas);
        ScaleModeGuard pixels(canvas, ScaleMode::Pixels);
        const PanelPoint p = MapToPanel(layout_.SensorRotation[displayIndex], x, y,
                                        canvas.scaleWidth(), canvas.scaleHeight());
        const MarkLook look = LookOfPress(setting_.PressColorTable, pressure, canvas.backColor());
        if (pressure > 0) {
            const Stamp& dot = renderer_.Circles().For(
                {look.radius, look.color, look.color, true, canvas.drawWidth()});
            const int centre = dot.width() / 2;
            peaks_.Add(displayIndex, canvas, dot, p.x - centre, p.y - centre, pressure);
        }
        layout_.LastPress[sensor] = PressMark{static_cast<float>(p.x),
                                              static_cast<float>(p.y),
                                              pressure,
                                              look.radius,
                                              look.color,
                                              layout_.SensorRotation[sensor]};
        DrawOrgMark(panel, layout_.SensorRotation[displayIndex], kBlack);
    }
    renderer_.NoteDrawn(displayIndex);
    renderer_.ScheduleFrame();
    if (chkSound && !setting_.HasSoundFiles) {
        Beep(pressure);
    }
}

void PressDisplay::SetPeakMap(bool on) {
    if (on == peakMapOn_) {
        return;
    }
    ClearPresses();
    peakMapOn_ = on;
}

void PressDisplay::Beep(int16_t pressure) {
    if (const auto now = beeps_.Offer(pressure, clock_.ticks())) {
        BeepForPress(sound_, *now);
    } else if (!beepTimer_.isActive()) {
        beepTimer_.start(static_cast<int>(beeps_.WaitMs(clock_.ticks())));
    }
}

void PressDisplay::MirrorDots(int displayIndex, double px, double py, int16_t pressure,
                              const MarkLook& look) {
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
        renderer_.DrawDotOnPlate(other, last.MarkX, last.MarkY, last.MarkPress, last.MarkColor,
                                 last.MarkRadius);
    }
    renderer_.DrawDotOnPlate(*layout_.picPressSens[displayIndex], px, py, pressure, look.color,
                             look.radius);
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
    const MarkLook look = LookOfPress(setting_.PressColorTable, pressure, canvas.backColor());
    CircleStamps& circles = renderer_.Circles();

    if (style_.bmpMode) {
        canvas.setFillColor(kWhite);
        if (const Stamp* stamp = footprints_.StampFor(pressure)) {
            // A whole-pixel place: the footprint's opaque pixels copied as they are.
            canvas.stamp(*stamp, mx - static_cast<int>(FootprintOffset),
                         my - static_cast<int>(FootprintOffset));
        } else if (const QImage* footprint = footprints_.MaskedFor(pressure)) {
            canvas.paintPicture(*footprint, mx - FootprintOffset, my - FootprintOffset);
        }
    } else {
        canvas.setFillColor(look.color);
        if (pressure > setting_.PressThresh) {
            circles.Draw(canvas, mx, my, look.radius, look.color);
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
    if (style_.bmpMode) {
        ShowBmpOnBase(panelIndex, b.x, b.y, pressure);
        return;
    }
    if (pressure <= 0) {
        return;
    }
    Canvas& base = plate.canvas();
    ScaleModeGuard twips(base, ScaleMode::Twips);
    base.setFillStyle(FillStyle::Solid);
    base.setFillColor(look.color);
    if (pressure > setting_.PressThresh) {
        circles.Draw(base, b.x / kTwipsPerPixel, b.y / kTwipsPerPixel, look.radius, look.color);
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
    if (!style_.bmpMode && !footprints_.Load(bmpDir_, boxes_)) {
        return DisplayModeCaption();
    }
    style_.bmpMode = !style_.bmpMode;
    ClearDisplay(layout_);
    trace_.Reset();
    peaks_.Clear();
    return DisplayModeCaption();
}

void PressDisplay::ClearPresses() {
    FlushDisplay();
    ClearDisplay(layout_);
    trace_.Reset();
    peaks_.Clear();
}

uint32_t TraceCheckBackColor(bool traceOn) {
    return traceOn ? kRed : kSysButtonFace;
}

}  // namespace korvi

// The press display's rules: what each decoded reading does to the display. A reading is mapped
// onto its sensor's panel (a merged sensor onto its host's), erases that sensor's previous mark
// and leaves a new one: a dot in the colour and radius of the draw setting's band, the whole
// panel flooded for a light touch up to the threshold, or in bitmap mode the pressure's
// footprint; the base plate mirrors it where the panel lies over the plate. With the trace on,
// strong marks are kept in the ring and the display is cleared and the ring redrawn after each
// reading. The display commands (dots or footprint bitmaps, trace on or off, clear) and the beep
// of each reading are here too; the window owns the buttons and menus and forwards to them.
//
// The rules draw a reading in full (the reference) or, lazily, tell the frame renderer what is
// pending and draw at once only what later readings do not overwrite (panels without the trace).
// How the pending drawing reaches the screen, and its caches, are the renderer's (FrameRenderer).
#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>

#include "display/BeepCoalescer.h"
#include "display/Footprints.h"
#include "display/FrameRenderer.h"
#include "display/PeakMap.h"
#include "display/PressLookup.h"
#include "display/TraceRing.h"
#include "layout/SensorLayout.h"
#include "settings/DrawSetting.h"

namespace korvi {

class Clock;
class MessageBoxes;
class SoundOutput;

class PressDisplay {
  public:
    // `bmpDir` is the folder of the footprint bitmaps Foot_0.bmp .. Foot_15.bmp; `clock` paces
    // the beeps.
    PressDisplay(SensorLayout& layout, const DrawSetting& setting, SoundOutput& sound,
                 MessageBoxes& boxes, Clock& clock, QString bmpDir);
    PressDisplay(const PressDisplay&) = delete;
    PressDisplay& operator=(const PressDisplay&) = delete;

    // One reading of the controller. Readings for a sensor number outside 0..15 are ignored.
    // Beeps (sound on, no sound files) start at most once per tone length, for the newest
    // reading.
    void DrawReading(int16_t sensor, int16_t pressure, int16_t x, int16_t y);

    // Draws whatever is pending now (the frame timer does this on its own).
    void FlushDisplay() { renderer_.Flush(); }
    // Off: every reading is drawn in full at once, nothing is kept pending (the reference the
    // deferred drawing is checked against). On at start.
    void SetLazy(bool lazy);
    bool Lazy() const { return lazy_; }
    // Milliseconds between a reading and the latest moment its drawing lands.
    static constexpr int kFrameMs = FrameRenderer::kFrameMs;

    // Shows sensor `index`'s footprint on the base plate centred at (bx, by) (twips relative to
    // the plate), or hides it, where it is, for pressure 0.
    void ShowBmpOnBase(int index, int32_t bx, int32_t by, int16_t pressure) {
        footprints_.ShowOnPlate(index, bx, by, pressure);
    }

    // Clears the whole display and draws the stored trace marks oldest first.
    void RedrawTrace();

    // Start of communication: the ring gets room for the draw setting's TraceSize marks and is
    // emptied.
    void ResetTrace();
    // Empties the ring (a draw setting chosen, the display cleared, the mode switched).
    void ResetTraceCounters();

    // Display-mode switch: dots <-> footprint bitmaps. Returns the caption naming the mode now in
    // force. Switching to bitmaps loads the 16 footprints; when one cannot be loaded the user is
    // told which and the display stays in dots, untouched.
    QString ToggleBmpMode();
    bool BmpMode() const { return style_.bmpMode; }
    // "BMP表示" in bitmap mode, "点表示" in dot mode.
    static QString DisplayModeCaption(bool bmpMode);
    QString DisplayModeCaption() const { return DisplayModeCaption(style_.bmpMode); }

    // Clear command: wipes every mark and empties the ring. The last marks are kept, so the next
    // reading of each sensor still erases its old circle.
    void ClearPresses();

    // The peak map ("最大値表示"): while on, each reading leaves its dot where it lies above the
    // pressures seen there since the last clear, instead of the dot, footprint or trace of the
    // mode in force; the sensors' last marks are still kept. Switching either way clears the
    // display, and off returns to the mode in force.
    void SetPeakMap(bool on);
    bool PeakMapOn() const { return peakMapOn_; }

    // Check-box states, kept in sync by the window. Trace switched on takes effect with the next
    // reading; sound is on at start.
    bool chkTrace = false;
    bool chkSound = true;

    const TraceRing& Trace() const { return trace_; }
    // The footprints while bitmap mode is on: picture k is Foot_k.bmp (empty in dot mode after a
    // failed load).
    const std::array<QImage, PressImageCount>& imglstPressBmp() const {
        return footprints_.Pictures();
    }

  private:
    void DrawReadingInFull(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                           int16_t y);
    void DrawReadingDeferred(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                             int16_t y);
    // Remembers the reading and, with the trace on, keeps a strong one in the ring.
    void StoreReading(int16_t sensor, int displayIndex, const PressMark& mark);
    // Erases the sensor's previous mark and draws the reading's on its panel.
    void DrawPanelMark(Canvas& canvas, int16_t sensor, int16_t pressure, int16_t x, int16_t y,
                       double px, double py, const MarkLook& look);
    void MirrorBitmap(int displayIndex, double px, double py, int16_t pressure);
    // The plate repainted with every shown sensor's last mark and this reading's.
    void MirrorDots(int displayIndex, double px, double py, int16_t pressure, const MarkLook& look);
    // One mark of the trace on its panel and the plate, drawn in full (the trace redrawn after
    // each reading); the renderer's trace scene keeps the same pixels up to date once per frame.
    void DrawTraceEntry(int16_t panelIndex, const PressMark& mark, bool panelShown,
                        bool plateShown);
    void DrawPeakReading(int16_t sensor, int displayIndex, int16_t pressure, int16_t x, int16_t y);
    void Beep(int16_t pressure);

    SensorLayout& layout_;
    const DrawSetting& setting_;
    SoundOutput& sound_;
    MessageBoxes& boxes_;
    Clock& clock_;
    QString bmpDir_;

    bool lazy_ = true;
    TraceRing trace_;
    Footprints footprints_;
    MarkStyle style_;
    FrameRenderer renderer_;
    PeakMap peaks_;
    bool peakMapOn_ = false;

    BeepCoalescer beeps_;
    QTimer beepTimer_;
};

// Back colour of the trace check box: red while trace display is on, the button face otherwise.
uint32_t TraceCheckBackColor(bool traceOn);

}  // namespace korvi

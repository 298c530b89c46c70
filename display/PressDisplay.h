// The press display: turns each decoded reading into a mark on its sensor's panel and on the base
// plate, keeps the trace, and carries the display commands (dots or footprint bitmaps, trace on
// or off, clear). The window owns the buttons and menus and forwards to the commands here.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "display/PressLookup.h"
#include "display/TraceRing.h"
#include "layout/SensorLayout.h"
#include "settings/DrawSetting.h"

namespace korvi {

class MessageBoxes;
class SoundOutput;

class PressDisplay {
  public:
    // `bmpDir` is the folder of the footprint bitmaps Foot_0.bmp .. Foot_15.bmp.
    PressDisplay(SensorLayout& layout, const DrawSetting& setting, SoundOutput& sound,
                 MessageBoxes& boxes, QString bmpDir);

    // One reading of the controller. Readings for a sensor number outside 0..15 are ignored.
    void DrawReading(int16_t sensor, int16_t pressure, int16_t x, int16_t y);

    // Shows sensor `index`'s footprint on the base plate centred at (bx, by) (twips relative to
    // the plate), or hides it, where it is, for pressure 0.
    void ShowBmpOnBase(int index, int32_t bx, int32_t by, int16_t pressure);

    // Clears the whole display and draws the stored trace marks oldest first.
    void RedrawTrace();

    // Start of communication: the ring gets room for the draw setting's TraceSize marks and is
    // emptied.
    void ResetTrace();
    // Empties the ring (a draw setting chosen, the display cleared, the mode switched).
    void ResetTraceCounters() { trace_.Reset(); }

    // Display-mode switch: dots <-> footprint bitmaps. Returns the caption naming the mode now in
    // force. Switching to bitmaps loads the 16 footprints; when one cannot be loaded the user is
    // told which and the display stays in dots, untouched.
    QString ToggleBmpMode();
    bool BmpMode() const { return bmpMode_; }
    // "BMP表示" in bitmap mode, "点表示" in dot mode.
    static QString DisplayModeCaption(bool bmpMode);
    QString DisplayModeCaption() const { return DisplayModeCaption(bmpMode_); }

    // Clear command: wipes every mark and empties the ring. The last marks are kept, so the next
    // reading of each sensor still erases its old circle.
    void ClearPresses();

    // Check-box states, kept in sync by the window. Trace switched on takes effect with the next
    // reading; sound is on at start.
    bool chkTrace = false;
    bool chkSound = true;

    const TraceRing& Trace() const { return trace_; }
    // The footprints while bitmap mode is on: picture k is Foot_k.bmp (empty in dot mode after a
    // failed load).
    const std::array<QImage, PressImageCount>& imglstPressBmp() const { return pressBmp_; }

  private:
    void DrawOnPanel(int16_t sensor, int displayIndex, int16_t pressure, int16_t x, int16_t y);
    void MirrorDots(int displayIndex, double px, double py, int16_t pressure, uint32_t color,
                    int32_t radius);
    void DrawDotOnPlate(const PictureBox& panel, double mx, double my, int16_t pressure,
                        uint32_t color, int32_t radius);
    void DrawTraceEntry(int16_t panelIndex, const PressMark& mark);
    // The masked footprint for a pressure; null when none applies.
    const QImage* FootprintFor(int16_t pressure) const;
    bool LoadFootprints();

    SensorLayout& layout_;
    const DrawSetting& setting_;
    SoundOutput& sound_;
    MessageBoxes& boxes_;
    QString bmpDir_;

    bool bmpMode_ = false;
    std::array<QImage, PressImageCount> pressBmp_{};
    // The same pictures with white made transparent, prepared once per load so that drawing a
    // mark does not rebuild the mask.
    std::array<QImage, PressImageCount> pressBmpMasked_{};
    TraceRing trace_;
};

// Back colour of the trace check box: red while trace display is on, the button face otherwise.
uint32_t TraceCheckBackColor(bool traceOn);

}  // namespace korvi

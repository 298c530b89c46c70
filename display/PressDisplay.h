// The press display: turns each decoded reading into a mark on its sensor's panel and on the base
// plate, keeps the trace, and carries the display commands (dots or footprint bitmaps, trace on
// or off, clear). The window owns the buttons and menus and forwards to the commands here.
//
// Readings can come far faster than a screen can show them, so drawing that the next reading
// would overwrite anyway is kept pending and drawn once per frame: the base plate in dot mode
// (it depends only on the layout, its picture and every sensor's last mark) and, with the trace
// on, every panel and the plate (the cleared display plus the trace). Pending drawing lands before
// anyone else draws on those surfaces or reads their pixels, before the display's own commands,
// and at the latest one frame after the reading; the result is pixel for pixel what drawing every
// reading in full gives. Panel drawing without the trace accumulates and is done per reading.
#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "display/BeepCoalescer.h"
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
    ~PressDisplay();
    PressDisplay(const PressDisplay&) = delete;
    PressDisplay& operator=(const PressDisplay&) = delete;

    // One reading of the controller. Readings for a sensor number outside 0..15 are ignored.
    // Beeps (sound on, no sound files) start at most once per tone length, for the newest
    // reading.
    void DrawReading(int16_t sensor, int16_t pressure, int16_t x, int16_t y);

    // Draws whatever is pending now (the frame timer does this on its own).
    void FlushDisplay();
    // Off: every reading is drawn in full at once, nothing is kept pending (the reference the
    // deferred drawing is checked against). On at start.
    void SetLazy(bool lazy);
    bool Lazy() const { return lazy_; }
    // Milliseconds between a reading and the latest moment its drawing lands.
    static constexpr int kFrameMs = 10;

    // Shows sensor `index`'s footprint on the base plate centred at (bx, by) (twips relative to
    // the plate), or hides it, where it is, for pressure 0.
    void ShowBmpOnBase(int index, int32_t bx, int32_t by, int16_t pressure);

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
    // What is pending: nothing, the plate rebuilt with the dots, or the whole display cleared
    // with the trace drawn over it.
    enum class Pending { None, PlateDots, TraceScene };

    // Everything that decides the plate's picture before marks: the plate, its picture and
    // colours, and the frames of the visible panels.
    struct PlateBackgroundKey {
        qint64 picture = 0;
        int pixelWidth = 0;
        int pixelHeight = 0;
        std::array<float, 4> plate{};
        uint32_t backColor = 0;
        int drawWidth = 0;
        bool frames = false;
        bool picturePainted = false;
        uint32_t visible = 0;
        std::array<std::array<float, 4>, SensorCount> panels{};
        bool operator==(const PlateBackgroundKey&) const = default;
    };

    void DrawReadingInFull(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                           int16_t y);
    void DrawReadingDeferred(int16_t sensor, int displayIndex, int16_t pressure, int16_t x,
                             int16_t y);
    // The reading's colour and radius on a panel whose background is `backColor`.
    void StoreReading(int16_t sensor, int displayIndex, const PressMark& mark);
    void MarkLook(int16_t pressure, uint32_t backColor, uint32_t& color, int32_t& radius) const;
    void DrawPanelMark(Canvas& canvas, int16_t sensor, int16_t pressure, int16_t x, int16_t y,
                       double px, double py, uint32_t color, int32_t radius);
    void MirrorBitmap(int displayIndex, double px, double py, int16_t pressure);
    void MirrorDots(int displayIndex, double px, double py, int16_t pressure, uint32_t color,
                    int32_t radius);
    void DrawDotOnPlate(const PictureBox& panel, double mx, double my, int16_t pressure,
                        uint32_t color, int32_t radius);
    // A mark's circle with the canvas's fill, centred on the nearest whole pixel to (x, y), in
    // pixels. Each distinct circle is drawn once and then copied: a flush may draw thousands.
    void DrawCircle(Canvas& canvas, double x, double y, int32_t radius, uint32_t color);
    // One mark of the trace on its panel and the plate, drawn in full (the trace redrawn after
    // each reading); the trace scene keeps the same pixels up to date once per frame.
    void DrawTraceEntry(int16_t panelIndex, const PressMark& mark, bool panelShown,
                        bool plateShown);
    void Beep(int16_t pressure);

    void RenderPlateDots();
    void RenderTraceScene();
    // A digest of everything besides the marks that decides how the scene looks on the panels
    // and where their marks fall on the plate: the colour table, the mode, the panels shown,
    // their sizes, pictures, turns and places.
    uint64_t SceneContext() const;
    // The plate cleared and repainted with its picture and frames; `picturePainted` adds the
    // picture painted once more before the frames, as the dot repaint does.
    void PaintPlateBackground(bool picturePainted);
    PlateBackgroundKey BackgroundKey(bool picturePainted) const;
    void ScheduleFrame();
    uint32_t VisiblePanels() const;
    mutable uint32_t visiblePanels_ = 0;
    mutable uint64_t visiblePanelsAt_ = 0;
    mutable bool visiblePanelsKnown_ = false;
    // The masked footprint for a pressure; null when none applies.
    const QImage* FootprintFor(int16_t pressure) const;
    bool LoadFootprints();

    SensorLayout& layout_;
    const DrawSetting& setting_;
    SoundOutput& sound_;
    MessageBoxes& boxes_;
    Clock& clock_;
    QString bmpDir_;

    bool lazy_ = true;
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

    PlateBackgroundKey backgroundKey_{};
    QImage background_;

    // Each panel cleared to white with its origin mark, as a trace scene starts it: prepared once
    // and put back where the last scene drew, instead of clearing the whole panel every frame.
    struct PanelBackground {
        int width = 0;
        int height = 0;
        int16_t rotation = 0;
        qint64 picture = 0;
        QImage image;
        double currentX = 0;  // where the origin mark leaves the drawing position
        double currentY = 0;
    };
    std::array<PanelBackground, SensorCount> panelBackgrounds_{};
    void PaintPanelBackground(int index);

    // The trace scene is kept up to date rather than drawn anew each frame: marks that left the
    // ring are undone by putting back the tiles they covered and stamping again, clipped to
    // those tiles, the marks that remain there; new marks are stamped on top. Each panel (0..15)
    // and the plate (16) remembers its change count right after the last scene: a surface that
    // anyone else drew on since is drawn whole again, as is everything when the context or the
    // ring's emptying changed.
    struct SceneSurface {
        uint64_t generation = 0;
        bool valid = false;
        bool orgOnTop = false;  // the panel's origin mark was drawn over its marks
    };
    std::array<SceneSurface, SensorCount + 1> sceneShown_{};
    PlateBackgroundKey scenePlateKey_{};
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
    SceneMark MakeSceneMark(int16_t panel, const PressMark& mark);
    void StampSceneMark(Canvas& canvas, const SceneMark& mark, bool onPlate, const TileSet* clip);
    // The plate's marks are left out where the panels stacked above it hide them whole: the
    // tiles those panels cover (worked out again when they move, show, hide or change size)
    // keep the plate's background until a paint shows them or someone reads or draws on the
    // plate. The rest of the plate is always up to date.
    bool StampPlateMark(Canvas& base, const SceneMark& mark);
    // Works out the hidden tiles again when the covering panels changed; true when they did.
    bool UpdatePlateCover();
    // Lands the marks left out under the panels (the scene's marks as the plate last showed
    // them); nothing when the plate was drawn on since.
    void LandHiddenPlateMarks();
    std::vector<QRect> plateCover_;
    TileSet plateHidden_;
    TileSet plateShown_;  // every other tile of the plate
    bool plateHiddenStale_ = false;
    std::deque<SceneMark> sceneMarks_;  // the ring's marks as the scene shows them, oldest first
    uint64_t sceneFirst_ = 0;           // the ring's number of sceneMarks_.front()
    uint64_t sceneResets_ = 0;
    uint64_t sceneContext_ = 0;
    bool sceneValid_ = false;
    std::array<TileSet, SensorCount + 1> sceneDirty_{};
    // Panels (bits 0..15) and plate (bit 16) the last scene actually drew.
    uint32_t sceneDrawn_ = 0;

    // Footprints on the plate worked out but not yet applied to their controls (bits 0..15):
    // while recordImages_ is set, ShowBmpOnBase only notes what the control will show.
    struct ImageState {
        bool visible = false;
        int number = 0;  // picture to show; 0 keeps the control's picture and place
        float left = 0;
        float top = 0;
    };
    std::array<ImageState, SensorCount> imageStates_{};
    uint32_t pendingImages_ = 0;
    bool recordImages_ = false;
    void ApplyImageStates();

    struct CircleKey {
        int32_t radius;
        uint32_t color;
        uint32_t fill;
        bool solid;
        int drawWidth;
        auto operator<=>(const CircleKey&) const = default;
    };
    std::map<CircleKey, Stamp> circles_;
    const Stamp& CircleStamp(const CircleKey& key);

    BeepCoalescer beeps_;
    QTimer beepTimer_;

    bool bmpMode_ = false;
    std::array<QImage, PressImageCount> pressBmp_{};
    // The same pictures with white made transparent, prepared once per load so that drawing a
    // mark does not rebuild the mask.
    std::array<QImage, PressImageCount> pressBmpMasked_{};
    std::array<Stamp, PressImageCount> pressStamps_{};
    TraceRing trace_;
};

// Back colour of the trace check box: red while trace display is on, the button face otherwise.
uint32_t TraceCheckBackColor(bool traceOn);

}  // namespace korvi

// The centre of pressure over the base plate: a cross where the whole layout's centre is now and
// its path over the last seconds, laid over the plate's and the frames' drawing at the end of their
// own paint without touching their drawing. It looks at the centre 20 times a second while it is
// on. It is not a widget of its own: a see-through widget above the plate would make every
// repaint of a frame beneath it go the toolkit's slow way, through every panel and label there.
#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QRegion>
#include <QTimer>

#include "analysis/CentreOfPressure.h"

class QPainter;

namespace korvi {

class Clock;
class PictureBox;
class SensorLayout;

class CentreOverlay : public QObject {
    Q_OBJECT
  public:
    // The cross's colour and the path's (0x00BBGGRR), and the cross's half length in pixels.
    static constexpr uint32_t kCrossColor = 0x0000FF;
    static constexpr uint32_t kPathColor = 0x0080FF;
    static constexpr int kCrossHalf = 6;
    static constexpr int kSampleMs = 50;

    // Lays itself over the layout's plate and frames.
    CentreOverlay(SensorLayout& layout, const Clock& clock, QObject* parent);

    void SetOn(bool on);
    bool On() const { return on_; }
    // How much of the path shows, in seconds (3 at start).
    void SetPathSeconds(int seconds);
    int PathSeconds() const { return static_cast<int>(pathMs_ / 1000); }
    // Forgets the path (a new session: 表示クリア, 通信開始, a replay opened or rewound).
    void Clear();

  private:
    // Takes the centre now, adds it to the path and asks for a repaint where the drawing changes.
    void Sample();
    // Where a window point lies on the plate, in pixels of the plate (and of the picture).
    QPoint OnPlate(WindowPoint point) const;
    // Draws the cross and the path as they stand on the picture.
    void RenderLayer();
    // Where the cross stands around a place of the plate.
    static QRect CrossArea(QPoint centre);
    // Where the path changed since the sample at `before`: the segments that came in since and
    // those that grew older than the span shown.
    QRegion PathChange(uint32_t before) const;
    // Asks the plate and the frames lying over an area of the plate (in its pixels) to repaint it.
    void Repaint(const QRegion& area);
    // Lays the picture over `box`, the plate or a frame, where it is being painted.
    void PaintOver(QPainter& painter, const PictureBox& box, const QRegion& area) const;

    SensorLayout& layout_;
    const Clock& clock_;
    CentrePath path_;
    QTimer timer_;
    bool on_ = false;
    bool shown_ = false;  // whether the picture is laid over the plate now
    uint32_t pathMs_ = 3000;
    uint32_t now_ = 0;
    std::optional<WindowPoint> centre_;
    bool repaintAll_ = true;
    QRect plate_;        // the plate's place in the window, in pixels
    QImage layer_;       // the cross and path on transparent pixels, the size of the plate
    QRect layerBounds_;  // the box around everything drawn on it, in pixels of the plate
};

}  // namespace korvi

// The centre of pressure over the base plate: a cross where the whole layout's centre is now and
// its path over the last seconds, painted above the plate and the frames lying on it without
// touching their drawing. It follows the plate's place and size, looks at the centre 20
// times a second while it is on, and lets every mouse event through to what lies beneath.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include "analysis/CentreOfPressure.h"

namespace korvi {

class Clock;
class SensorLayout;

class CentreOverlay : public QWidget {
    Q_OBJECT
  public:
    // The cross's colour and the path's (0x00BBGGRR), and the cross's half length in pixels.
    static constexpr uint32_t kCrossColor = 0x0000FF;
    static constexpr uint32_t kPathColor = 0x0080FF;
    static constexpr int kCrossHalf = 6;
    static constexpr int kSampleMs = 50;

    CentreOverlay(const SensorLayout& layout, const Clock& clock, QWidget* parent);

    void SetOn(bool on);
    bool On() const { return on_; }
    // How much of the path shows, in seconds (3 at start).
    void SetPathSeconds(int seconds);
    int PathSeconds() const { return static_cast<int>(pathMs_ / 1000); }
    // Forgets the path (a new session: 表示クリア, 通信開始, a replay opened or rewound).
    void Clear();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Takes the centre now, adds it to the path and asks for a repaint where the drawing changes.
    void Sample();
    // Where a window point lies on the plate, in pixels of the plate (and of this overlay).
    QPoint OnPlate(WindowPoint point) const;
    // Draws the cross and the path as they stand on the overlay's picture.
    void RenderLayer();
    // Whether no widget of the window stacks above this one.
    bool OnTop() const;
    // Where the cross stands around a place of the plate.
    static QRect CrossArea(QPoint centre);
    // Where the path changed since the sample at `before`: the segments that came in since and
    // those that grew older than the span shown.
    QRegion PathChange(uint32_t before) const;

    const SensorLayout& layout_;
    const Clock& clock_;
    CentrePath path_;
    QTimer timer_;
    bool on_ = false;
    uint32_t pathMs_ = 3000;
    uint32_t now_ = 0;
    std::optional<WindowPoint> centre_;
    bool repaintAll_ = true;
    QRect plate_;        // the plate's place in the window, in pixels
    QImage layer_;       // the cross and path on transparent pixels, the size of the plate
    QRect layerBounds_;  // the box around everything drawn on it: the overlay's own place
};

}  // namespace korvi

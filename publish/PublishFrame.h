// What the publishers send, gathered per display frame: the readings of the frame (kept in a
// buffer made once, so that a reading costs a copy and nothing more), which sensors are pressed
// with the cursor session of each press, the layout as other programs see it, and the texts built
// from them once per frame: the OSC bundles, the TUIO cursor bundle and the WebSocket JSON.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "layout/SensorLayout.h"
#include "settings/DrawSetting.h"

namespace korvi {

class OscPacket;

struct PublishedReading {
    int16_t sensor = 0;  // 0..15
    int16_t press = 0;
    int16_t x = 0;
    int16_t y = 0;
};

// The readings of one frame and the presses they make.
class FrameGather {
  public:
    static constexpr int kCapacity = 4096;

    // Keeps the reading; false once the frame is full (the caller sends it at once). A sensor
    // pressed again after a release starts a new cursor session.
    bool Add(int16_t sensor, int16_t press, int16_t x, int16_t y) {
        readings_[static_cast<size_t>(count_)] = PublishedReading{sensor, press, x, y};
        ++count_;
        if (sensor >= 0 && sensor < SensorCount) {
            const auto s = static_cast<size_t>(sensor);
            if (press < 1) {
                down_[s] = false;
            } else if (!down_[s]) {
                down_[s] = true;
                session_[s] = nextSession_++;
            }
        }
        return count_ < kCapacity;
    }
    std::span<const PublishedReading> readings() const {
        return {readings_.data(), static_cast<size_t>(count_)};
    }
    void ClearReadings() { count_ = 0; }
    // Forgets every press (a new session of the display: cleared, started, replayed).
    void ReleaseAll() { down_.fill(false); }
    bool IsDown(int sensor) const { return down_[static_cast<size_t>(sensor)]; }
    int32_t Session(int sensor) const { return session_[static_cast<size_t>(sensor)]; }

  private:
    std::array<PublishedReading, kCapacity> readings_{};
    int count_ = 0;
    std::array<bool, SensorCount> down_{};
    std::array<int32_t, SensorCount> session_{};
    int32_t nextSession_ = 1;
};

struct PublishedRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const PublishedRect&) const = default;
};

struct PublishedFrame {
    int number = 0;  // 1..16
    PublishedRect rect;
    int rotation = 0;
    bool operator==(const PublishedFrame&) const = default;
};

// The layout in window twips: the shown frames, the plate, and the layout area (the smallest
// rectangle holding the shown plate and every shown frame), to which cursor places are
// normalised; with the draw setting's colours, which the live view draws with.
struct PublishedLayout {
    PublishedRect plate;
    bool plateShown = false;
    uint32_t plateColor = 0;  // 0x00BBGGRR
    std::vector<PublishedFrame> frames;
    std::array<int, SensorCount> shownOn{};  // the frame number showing each sensor, 0: none
    PublishedRect area;
    std::vector<PressColorEntry> colors;
    int threshold = 0;
    bool operator==(const PublishedLayout& other) const;
};

PublishedLayout SnapshotLayout(const SensorLayout& layout, const DrawSetting& drawSetting);

// One pressed sensor as a TUIO cursor: its session and its mark's place normalised to the layout
// area (0 at the left and top, 1 at the right and bottom).
struct PublishedCursor {
    int sensor = 0;
    int32_t session = 0;
    float x = 0;
    float y = 0;
    double windowX = 0;  // twips
    double windowY = 0;
    int16_t press = 0;
};

// The cursors of the sensors pressed now whose marks are shown, in sensor order; returns their
// count.
int PressedCursors(const SensorLayout& layout, const FrameGather& gather,
                   const PublishedLayout& published,
                   std::array<PublishedCursor, SensorCount>& cursors);

// `/korvi/reading iiii` (sensor 1-16, pressure, X, Y) for `readings`, in one bundle.
void BuildReadingsBundle(OscPacket& packet, std::span<const PublishedReading> readings);
// `/korvi/layout`: the plate's left, top, width and height, then per shown frame its number,
// left, top, width, height and rotation (whole twips and degrees).
void BuildLayoutMessage(OscPacket& packet, const PublishedLayout& layout);
// A TUIO 1.1 `/tuio/2Dcur` bundle: source, alive, one set per cursor (s x y X Y m, no motion
// given), fseq.
void BuildTuioBundle(OscPacket& packet, std::span<const PublishedCursor> cursors, int32_t fseq);

// {"type":"layout","plate":{left,top,width,height},"plateShown":true,"plateColor":"#rrggbb",
//  "area":{...},"frames":[{"number":1,"rotation":0,"rect":{...}},...],"shownOn":[16 numbers],
//  "threshold":N,"colors":[{"low","high","color","radius"},...]}, rectangles in window twips (the
//  keys of each object come in alphabetical order).
std::string LayoutJson(const PublishedLayout& layout);
// {"type":"frame","frame":N,"readings":[[sensor 1-16,pressure,X,Y],...],
//  "marks":[[sensor 1-16,x,y,pressure],...]} with the marks' places in window twips. Appends to
// `text` (cleared first), which keeps its room from frame to frame.
void FrameJson(std::string& text, int64_t frame, std::span<const PublishedReading> readings,
               std::span<const PublishedCursor> cursors);

}  // namespace korvi

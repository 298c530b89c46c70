#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/BeepCoalescer.h"
#include "tests/display/DisplayFixture.h"

namespace korvi::test {
namespace {

struct Mode {
    const char* name;
    bool plate;
    bool bitmaps;
};

// The same readings go to a display that draws every reading in full (rig) and to one that
// keeps drawing pending until a frame; after flushing, both must hold the same pixels and state.
class DeferredDrawing : public DisplayFixture, public ::testing::WithParamInterface<Mode> {
  protected:
    DeferredDrawing() {
        setting.PressColorTable = {{1, 100, static_cast<int32_t>(kGreen), 3},
                                   {101, 200, static_cast<int32_t>(kBlue), 6},
                                   {201, 255, static_cast<int32_t>(kRed), 9}};
        setting.PressThresh = 20;
        setting.TraceSize = 40;
        display.SetLazy(false);
        for (Rig* r : {&rig, &deferred}) {
            r->display.ResetTrace();
        }
    }

    // Sensors 0..5 placed, rotated, partly over the plate and one beside it; 6 merged into 0.
    // Panels 1 and 4 span several tiles, so that a mark leaving the trace is undone in part of
    // a panel only.
    void Arrange(bool plate, bool bitmaps) {
        const struct {
            float left, top;
            int w, h;
        } places[] = {{1800, 1800, 60, 40}, {3300, 1800, 120, 100}, {1800, 3000, 70, 30},
                      {3600, 3300, 40, 60}, {5000, 2500, 200, 130}, {9000, 900, 40, 40}};
        QImage picture(10, 7, QImage::Format_RGB32);
        for (int p = 0; p < 70; ++p) {
            picture.setPixel(p % 10, p / 10, qRgb(25 * (p % 10), 30 * (p / 10), 128));
        }
        for (Rig* r : {&rig, &deferred}) {
            for (int i = 0; i < 6; ++i) {
                r->Show(i, places[i].left, places[i].top, places[i].w, places[i].h);
                r->layout.SensorRotation[i] = static_cast<int16_t>(i < 4 ? 90 * i : 0);
            }
            r->layout.SensorMerged[6] = true;
            if (plate) {
                r->Show(-1, 1500, 1500, 360, 240).canvas().setPicture(picture);
            }
            if (bitmaps) {
                r->display.ToggleBmpMode();
            }
        }
    }

    // Readings from sensors 0..7 (7 is never placed), a tenth of them releases, half of them
    // in strokes of overlapping marks; the deferred display gets a frame now and then, as on
    // screen.
    void Feed(int count, std::mt19937& rng) {
        for (int n = 0; n < count; ++n) {
            const auto sensor = static_cast<int16_t>(rng() % 8);
            const auto pressure = static_cast<int16_t>(rng() % 10 == 0 ? 0 : rng() % 256);
            auto x = static_cast<int16_t>(rng() % 4096);
            auto y = static_cast<int16_t>(rng() % 4096);
            if (n % 30 == 0) {
                stroke_ = {static_cast<int>(rng() % 3500), static_cast<int>(rng() % 3500)};
            }
            if (rng() % 2 == 0) {
                x = static_cast<int16_t>(stroke_.first + static_cast<int>(rng() % 600));
                y = static_cast<int16_t>(stroke_.second + static_cast<int>(rng() % 600));
            }
            if (rng() % 50 == 0) {
                x = y = 0;
            } else if (rng() % 8 == 0) {
                x = 2048;  // over the origin mark of an upright panel
                y = static_cast<int16_t>(rng() % 300);
            }
            for (Rig* r : {&rig, &deferred}) {
                r->display.DrawReading(sensor, pressure, x, y);
            }
            if (rng() % 16 == 0) {
                deferred.display.FlushDisplay();
            }
            if (n % 25 == 24) {
                ExpectSame("between frames");
            }
        }
    }

    void ExpectSame(const char* where) {
        SCOPED_TRACE(where);
        deferred.display.FlushDisplay();
        const SensorLayout& a = rig.layout;
        const SensorLayout& b = deferred.layout;
        for (int i = 0; i < SensorCount; ++i) {
            EXPECT_TRUE(a.picPressSens[i]->canvas().image() == b.picPressSens[i]->canvas().image())
                << i;
            const ImageControl& ia = *a.imgBmpOnBase[i];
            const ImageControl& ib = *b.imgBmpOnBase[i];
            EXPECT_TRUE(ia.isVisibleTo(a.picBaseSens) == ib.isVisibleTo(b.picBaseSens) &&
                        ia.Left() == ib.Left() && ia.Top() == ib.Top())
                << i;
        }
        EXPECT_TRUE(a.picBaseSens->canvas().image() == b.picBaseSens->canvas().image());
    }

    Rig deferred{setting, bmpDir.path()};
    std::pair<int, int> stroke_{0, 0};
};

TEST_P(DeferredDrawing, MatchesDrawingEveryReading) {
    Arrange(GetParam().plate, GetParam().bitmaps);
    std::mt19937 rng(20240517);
    for (int round = 0; round < 5; ++round) {
        display.chkTrace = deferred.display.chkTrace = round % 2 == 1;
        Feed(90, rng);
        ExpectSame("readings");
        // The editor hides a panel (shows it again) and repaints the frames between two
        // frames, with drawing still pending.
        Feed(20, rng);
        for (Rig* r : {&rig, &deferred}) {
            PictureBox& panel = *r->layout.picPressSens[3];
            panel.setVisible(round % 2 == 1);
            DrawSensorFrames(r->layout, r->layout.ShowSensorFrames);
            DrawOrgMark(panel, r->layout.SensorRotation[3], kBlack);
            if (round == 1) {
                r->display.ClearPresses();
            }
        }
        ExpectSame("layout changed");
        Feed(30, rng);
        ExpectSame("readings after the layout changed");
        // The plate hidden for a while keeps what it showed, marks under the panels included.
        Feed(20, rng);
        deferred.display.FlushDisplay();
        for (Rig* r : {&rig, &deferred}) {
            r->layout.picBaseSens->setVisible(GetParam().plate && round % 2 == 0);
        }
        Feed(20, rng);
        for (Rig* r : {&rig, &deferred}) {
            r->layout.picBaseSens->setVisible(GetParam().plate);
        }
        ExpectSame("the plate shown again");
    }
}

TEST_P(DeferredDrawing, MarkLeavingTheTraceIsUndoneWithoutUncoveringNewerMarks) {
    // On panel 4 (200 x 130 pixels, upright, filled marks) and where it lies on the plate: C at
    // the left, A reaching from C's tiles into the next ones, B clear of C's tiles and drawn
    // over A's edge. When C leaves the trace (size 3) its tiles are put back and A is drawn
    // there again, but not over B.
    Arrange(GetParam().plate, GetParam().bitmaps);
    setting.TraceSize = 3;
    for (Rig* r : {&rig, &deferred}) {
        r->display.ResetTrace();
        r->display.chkTrace = true;
        r->layout.picPressSens[4]->canvas().setFillStyle(FillStyle::Solid);
    }
    auto read = [this](int16_t pressure, int px, int py) {
        const auto x = static_cast<int16_t>(std::lround(px * 4095.0 / 200.0));
        const auto y = static_cast<int16_t>(std::lround((130 - py) * 4095.0 / 130.0));
        for (Rig* r : {&rig, &deferred}) {
            r->display.DrawReading(4, pressure, x, y);
        }
    };
    read(250, 10, 20);  // C, radius 9
    read(250, 29, 20);  // A, radius 9
    read(30, 40, 20);   // B, radius 3
    ExpectSame("three marks");
    read(150, 150, 100);  // C leaves the trace
    ExpectSame("the oldest mark left");
}

INSTANTIATE_TEST_SUITE_P(Modes, DeferredDrawing,
                         ::testing::Values(Mode{"DotsOnPlate", true, false},
                                           Mode{"DotsWithoutPlate", false, false},
                                           Mode{"Footprints", true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(BeepCoalescer, OneToneStartsPerToneLengthForTheNewestReading) {
    BeepCoalescer beeps(40);
    EXPECT_EQ(beeps.Offer(10, 1000), std::optional<int16_t>(10));
    EXPECT_EQ(beeps.Offer(20, 1010), std::nullopt);
    EXPECT_EQ(beeps.Offer(30, 1039), std::nullopt);
    EXPECT_EQ(beeps.WaitMs(1039), 1u);
    EXPECT_EQ(beeps.Due(1039), std::nullopt);
    EXPECT_EQ(beeps.Due(1040), std::optional<int16_t>(30));  // the newest, when the tone ends
    EXPECT_EQ(beeps.Due(1200), std::nullopt);                // sounded once only
    EXPECT_EQ(beeps.Offer(40, 1079), std::nullopt);          // the kept one counts as a tone
    EXPECT_EQ(beeps.Offer(50, 1080), std::optional<int16_t>(50));
    EXPECT_FALSE(beeps.HasKept());  // a tone starting now replaces the kept reading

    BeepCoalescer wrapping(40);
    EXPECT_TRUE(wrapping.Offer(1, 0xFFFFFFF0u).has_value());
    EXPECT_FALSE(wrapping.Offer(2, 0x00000010u).has_value());  // 32 ms later, across the wrap
    EXPECT_TRUE(wrapping.Offer(3, 0x00000018u).has_value());
}

using Beeps = DisplayFixture;

TEST_F(Beeps, FastReadingsBeepOncePerToneLengthUnlessSoundIsOffOrFilesAreDefined) {
    Place(0, 3000, 3000, 40, 30);
    ShowPlate();
    for (int i = 0; i < 1000; ++i) {
        display.DrawReading(0, static_cast<int16_t>(i % 256), static_cast<int16_t>(i * 4), 2048);
        clock.advance(10);
    }
    ASSERT_EQ(sound.tones.size(), 250u);
    // Tone n sounds the reading of the moment it starts: pressure 4n (tone 25: 100, 798 Hz).
    EXPECT_EQ(sound.tones[25].frequencyHz, 798);
    EXPECT_EQ(sound.tones[25].durationMs, 40);
    clock.advance(100);
    display.chkSound = false;
    display.DrawReading(0, 100, 0, 0);
    display.chkSound = true;
    setting.HasSoundFiles = true;
    display.DrawReading(0, 100, 0, 0);
    EXPECT_EQ(sound.tones.size(), 250u);
}

}  // namespace
}  // namespace korvi::test

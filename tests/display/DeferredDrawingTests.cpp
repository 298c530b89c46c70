#include <gtest/gtest.h>

#include <QDir>
#include <QDeadlineTimer>
#include <QPainter>
#include <QTest>
#include <QTemporaryDir>
#include <random>

#include "display/Beep.h"
#include "display/BeepCoalescer.h"
#include "display/PressDisplay.h"
#include "layout/SensorLayout.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/Units.h"
#include "settings/DrawSetting.h"
#include "tests/display/DisplayFixture.h"
#include "tests/support/Fakes.h"

namespace korvi::test {
namespace {

// One window's worth of display: its own layout and press display over a shared draw setting.
struct Rig {
    Rig(const DrawSetting& setting, const QString& bmpDir)
        : layout(form, kPlateColor, false), display(layout, setting, sound, boxes, clock, bmpDir) {
        layout.InitSensors();
    }
    FormSurface form{nullptr};
    SensorLayout layout;
    RecordingSound sound;
    RecordingMessageBoxes boxes;
    ManualClock clock;
    PressDisplay display;
};

// The same readings go to a display that draws every reading in full and to one that keeps
// drawing pending until a frame; after flushing, both must hold the same pixels and state.
class DeferredDrawing : public ::testing::Test {
  protected:
    DeferredDrawing() {
        setting.PressColorTable = {{1, 100, static_cast<int32_t>(kGreen), 3},
                                   {101, 200, static_cast<int32_t>(kBlue), 6},
                                   {201, 255, static_cast<int32_t>(kRed), 9}};
        setting.PressThresh = 20;
        setting.TraceSize = 40;
        for (int k = 0; k < 16; ++k) {
            QImage foot(32, 32 + k % 3, QImage::Format_RGB32);
            foot.fill(Qt::white);
            QPainter(&foot).fillRect(6, 6, 14 + k, 12, QColor(20 * k, 255 - 9 * k, 90));
            foot.save(QDir(bmpDir.path()).filePath(QStringLiteral("Foot_%1.bmp").arg(k)), "BMP");
        }
        full.display.SetLazy(false);
        for (Rig* rig : {&full, &deferred}) {
            rig->display.ResetTrace();
        }
    }

    // Sensors 0..5 placed, partly over the plate and one beside it; sensor 6 merged into 0.
    void Arrange(bool plate, bool bitmaps) {
        for (Rig* rig : {&full, &deferred}) {
            SensorLayout& l = rig->layout;
            const struct {
                float left, top;
                int w, h;
                int16_t rotation;
            } places[] = {{1800, 1800, 60, 40, 0},   {3300, 1800, 50, 50, 90},
                          {1800, 3000, 70, 30, 180}, {3600, 3300, 40, 60, 270},
                          {5000, 2500, 60, 40, 0},   {9000, 900, 40, 40, 0}};
            for (int i = 0; i < 6; ++i) {
                PictureBox& panel = *l.picPressSens[i];
                panel.Move(places[i].left, places[i].top,
                           static_cast<float>(PixelsToTwips(places[i].w)),
                           static_cast<float>(PixelsToTwips(places[i].h)));
                panel.show();
                l.SensorRotation[i] = places[i].rotation;
            }
            l.SensorMerged[6] = true;
            if (plate) {
                QImage picture(10, 7, QImage::Format_RGB32);
                for (int y = 0; y < 7; ++y) {
                    for (int x = 0; x < 10; ++x) {
                        picture.setPixel(x, y, qRgb(25 * x, 30 * y, 128));
                    }
                }
                l.picBaseSens->Move(1500, 1500, 5400, 3600);
                l.picBaseSens->canvas().setPicture(picture);
                l.picBaseSens->show();
            }
            if (bitmaps) {
                rig->display.ToggleBmpMode();
            }
        }
    }

    void SetTrace(bool on) {
        full.display.chkTrace = on;
        deferred.display.chkTrace = on;
    }

    // Readings from sensors 0..7 (7 is never placed), a tenth of them releases, some light.
    void Feed(int count, std::mt19937& rng) {
        for (int n = 0; n < count; ++n) {
            const auto sensor = static_cast<int16_t>(rng() % 8);
            int16_t pressure = static_cast<int16_t>(rng() % 256);
            if (rng() % 10 == 0) {
                pressure = 0;
            }
            auto x = static_cast<int16_t>(rng() % 4096);
            auto y = static_cast<int16_t>(rng() % 4096);
            if (rng() % 50 == 0) {
                x = y = 0;
            } else if (rng() % 8 == 0) {
                x = 2048;  // over the origin mark of an upright panel
                y = static_cast<int16_t>(rng() % 300);
            }
            full.display.DrawReading(sensor, pressure, x, y);
            deferred.display.DrawReading(sensor, pressure, x, y);
            if (rng() % 16 == 0) {
                deferred.display.FlushDisplay();  // a frame now and then, as on screen
            }
            if (n % 25 == 24) {
                ExpectSame("between frames");
            }
        }
    }

    void ExpectSame(const char* where) {
        SCOPED_TRACE(where);
        deferred.display.FlushDisplay();
        const SensorLayout& a = full.layout;
        const SensorLayout& b = deferred.layout;
        for (int i = 0; i < SensorCount; ++i) {
            const Canvas& ca = a.picPressSens[i]->canvas();
            const Canvas& cb = b.picPressSens[i]->canvas();
            EXPECT_TRUE(ca.image() == cb.image()) << "panel " << i;
            EXPECT_EQ(ca.backColor(), cb.backColor()) << "panel " << i;
            EXPECT_EQ(a.LastPress[i].MarkX, b.LastPress[i].MarkX) << i;
            EXPECT_EQ(a.LastPress[i].MarkPress, b.LastPress[i].MarkPress) << i;
            EXPECT_EQ(a.LastPress[i].MarkColor, b.LastPress[i].MarkColor) << i;
            const ImageControl& ia = *a.imgBmpOnBase[i];
            const ImageControl& ib = *b.imgBmpOnBase[i];
            EXPECT_EQ(ia.isVisibleTo(a.picBaseSens), ib.isVisibleTo(b.picBaseSens)) << i;
            EXPECT_EQ(ia.Left(), ib.Left()) << i;
            EXPECT_EQ(ia.Top(), ib.Top()) << i;
            EXPECT_EQ(ia.picture().cacheKey() == 0, ib.picture().cacheKey() == 0) << i;
        }
        EXPECT_TRUE(a.picBaseSens->canvas().image() == b.picBaseSens->canvas().image());
        EXPECT_EQ(full.display.Trace().TraceCount, deferred.display.Trace().TraceCount);
        EXPECT_EQ(full.display.Trace().TraceNext, deferred.display.Trace().TraceNext);
    }

    void Run(bool plate, bool bitmaps) {
        Arrange(plate, bitmaps);
        std::mt19937 rng(20240517);
        SetTrace(false);
        Feed(150, rng);
        ExpectSame("without trace");
        SetTrace(true);
        Feed(150, rng);
        ExpectSame("with trace");
        SetTrace(false);
        Feed(60, rng);
        ExpectSame("trace switched off");
        SetTrace(true);
        Feed(40, rng);
        full.display.ClearPresses();
        deferred.display.ClearPresses();
        Feed(40, rng);
        ExpectSame("trace after clearing");
    }

    DrawSetting setting;
    QTemporaryDir bmpDir;
    Rig full{setting, bmpDir.path()};
    Rig deferred{setting, bmpDir.path()};
};

TEST_F(DeferredDrawing, DotsOverThePlateMatchDrawingEveryReading) {
    Run(true, false);
}

TEST_F(DeferredDrawing, DotsWithoutThePlateMatchDrawingEveryReading) {
    Run(false, false);
}

TEST_F(DeferredDrawing, FootprintsMatchDrawingEveryReading) {
    Run(true, true);
}

TEST_F(DeferredDrawing, LayoutChangesBetweenFramesSeeTheReadingsBeforeThem) {
    Arrange(true, false);
    std::mt19937 rng(99);
    for (bool trace : {false, true}) {
        SetTrace(trace);
        Feed(30, rng);
        // The editor hides a panel and repaints the plate's frames between two frames.
        for (Rig* rig : {&full, &deferred}) {
            rig->layout.picPressSens[3]->hide();
            DrawSensorFrames(rig->layout, rig->layout.ShowSensorFrames);
        }
        ExpectSame(trace ? "trace" : "dots");
        Feed(30, rng);
        ExpectSame(trace ? "trace, later" : "dots, later");
        for (Rig* rig : {&full, &deferred}) {
            rig->layout.picPressSens[3]->show();
            DrawOrgMark(*rig->layout.picPressSens[3], rig->layout.SensorRotation[3], kBlack);
        }
    }
}

TEST_F(DeferredDrawing, PendingDrawingLandsWithinAFrameAndNotBeforeIt) {
    Arrange(true, false);
    SetTrace(true);
    PictureBox& plate = *deferred.layout.picBaseSens;
    int repaints = 0;
    plate.canvas().setChangedCallback([&repaints] { ++repaints; });
    std::mt19937 rng(5);
    for (int n = 0; n < 200; ++n) {
        deferred.display.DrawReading(0, 150, static_cast<int16_t>(rng() % 4096), 2048);
    }
    EXPECT_EQ(repaints, 0);
    const QDeadlineTimer deadline(10 * PressDisplay::kFrameMs);
    while (repaints == 0 && !deadline.hasExpired()) {
        QTest::qWait(1);
    }
    EXPECT_EQ(repaints, 1);
}

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

class Beeps : public DisplayFixture {};

TEST_F(Beeps, FastReadingsBeepOncePerToneLengthUnlessSoundIsOffOrFilesAreDefined) {
    Place(0, 3000, 3000, 40, 30);
    ShowPlate(1500, 1500, 300, 200);
    for (int i = 0; i < 1000; ++i) {
        display.DrawReading(0, static_cast<int16_t>(i % 256), static_cast<int16_t>(i * 4), 2048);
        clock.advance(10);
    }
    ASSERT_EQ(sound.tones.size(), 250u);
    for (int n = 0; n < 250; ++n) {
        EXPECT_EQ(sound.tones[n].frequencyHz, BeepFrequency(static_cast<int16_t>(4 * n % 256)));
        EXPECT_EQ(sound.tones[n].durationMs, kBeepMs);
    }
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

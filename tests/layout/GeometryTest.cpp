// The geometry of layout editing and the drawing every layout change relies on: overlap
// resolution, the stretch handles' places, the resize rule and its pointers, the rotation step, the
// frame colour, and origin marks and frame outlines on the plate checked on the backing pixels.
#include <gtest/gtest.h>

#include "layout/AvoidOverlap.h"
#include "layout/Rotation.h"
#include "layout/SensorLayout.h"
#include "layout/StretchHandles.h"
#include "platform/Colors.h"

namespace korvi {
namespace {

TEST(AvoidOverlap, PushesAlongTheAxisOfSmallerOverlapInOnePass) {
    const FrameRect other{1000, 1000, 555, 555};
    const float big = 16777216.0f;  // 2^24
    const struct {
        const char* what;
        FrameRect frame;
        std::vector<FrameRect> others;
        float left, top;
    } cases[] = {
        {"below (95 down, 455 across)", {1100, 1460, 555, 555}, {other}, 1100, 1555},
        {"above", {1100, 500, 555, 555}, {other}, 1100, 445},
        {"right (55 across, 455 down)", {1500, 1100, 555, 555}, {other}, 1555, 1100},
        {"left", {500, 1100, 555, 555}, {other}, 445, 1100},
        {"equal overlaps go vertical", {1455, 1455, 555, 555}, {other}, 1455, 1555},
        // The other spans the frame vertically (overlap = the frame's 100) against 150 across.
        {"spanning", {850, 1200, 300, 100}, {other}, 850, 1555},
        // The other lies within the frame's vertical span; its overlap counts from its top to
        // the frame's bottom (400), more than the 100 across its right edge.
        {"contained", {0, 0, 600, 600}, {{500, 200, 300, 100}}, -100, 0},
        {"touching side", {1555, 1100, 555, 555}, {other}, 1555, 1100},
        {"touching top", {1100, 445, 555, 555}, {other}, 1100, 445},
        {"touching corner", {1555, 1555, 100, 100}, {other}, 1555, 1555},
        {"apart", {3000, 3000, 555, 555}, {other}, 3000, 3000},
        // Pushed right off the second rectangle onto the first, which is not looked at again.
        {"one pass", {1500, 1000, 555, 555}, {{1700, 1000, 555, 555}, other}, 1555, 1000},
        // 2^24 - 2 + 2.6 is 2^24 in single precision: a horizontal overlap of 0 beats the
        // vertical 0.5 and the frame stays; in double precision it would go down half a twip.
        {"single precision", {big, 0, 10, 10}, {{big - 2, -1, 2.6f, 1.5f}}, big, 0},
    };
    for (const auto& c : cases) {
        const FrameRect r = AvoidOverlapRect(c.frame, c.others);
        EXPECT_EQ(std::vector<float>({r.Left, r.Top, r.Width, r.Height}),
                  std::vector<float>({c.left, c.top, c.frame.Width, c.frame.Height}))
            << c.what;
    }
}

std::vector<float> Values(const FrameRect& r) {
    return {r.Left, r.Top, r.Width, r.Height};
}

// Handles of 75 x 45 twips around a target at 1000, 2000 of 600 x 300: corners and edge middles,
// outside the target, and the pointer each shows.
TEST(StretchHandles, EachHandleTouchesItsCornerOrEdgeMiddleFromOutside) {
    const FrameRect target{1000, 2000, 600, 300};
    const std::array<float, 2> expected[8] = {{925, 1955},     {1262.5f, 1955}, {1600, 1955},
                                              {1600, 2127.5f}, {1600, 2300},    {1262.5f, 2300},
                                              {925, 2300},     {925, 2127.5f}};
    for (int h = 0; h < 8; ++h) {
        const HandlePosition p = PlaceHandle(h, target, 75, 45);
        EXPECT_EQ((std::array<float, 2>{p.Left, p.Top}), expected[h]) << h;
    }
    const Qt::CursorShape cursors[] = {
        Qt::SizeFDiagCursor, Qt::SizeVerCursor,   Qt::SizeBDiagCursor,
        Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeVerCursor,
        Qt::SizeBDiagCursor, Qt::SizeHorCursor,   Qt::ArrowCursor};
    for (int h = 0; h <= 8; ++h) {
        EXPECT_EQ(HandleCursor(h), cursors[h]) << h;
    }
}

// A 555 x 555 frame at 1000, 1000 (right and bottom edges at 1555) resized by each handle: the
// moved edges follow the pointer, the opposite ones stay, and a pointer on the opposite edge or
// within a pixel (15 twips) of it leaves that dimension as it was; past the largest size a layout
// file holds (30900 x 23700) the moved edge stops there.
TEST(StretchHandles, ResizeRuleMovesTheHandlesEdgesAndNeverFlips) {
    const FrameRect frame{1000, 1000, 555, 555};
    const struct {
        int h;
        float px, py;
        FrameRect expected;
    } cases[] = {
        {0, 900, 950, {900, 950, 655, 605}},
        {0, 1540, 1540, {1540, 1540, 15, 15}},
        {0, 1541, 1541, {1000, 1000, 555, 555}},
        {0, 1555, 1555, {1000, 1000, 555, 555}},
        {1, 900, 950, {1000, 950, 555, 605}},
        {1, 900, 1555, {1000, 1000, 555, 555}},
        {2, 1600, 950, {1000, 950, 600, 605}},
        {2, 1000, 1555, {1000, 1000, 555, 555}},
        {3, 1600, 0, {1000, 1000, 600, 555}},
        {3, 1015, 0, {1000, 1000, 15, 555}},
        {3, 1014, 0, {1000, 1000, 555, 555}},
        {3, 1000, 0, {1000, 1000, 555, 555}},
        {4, 1600, 1700, {1000, 1000, 600, 700}},
        {4, 1000, 1000, {1000, 1000, 555, 555}},
        {5, 0, 1700, {1000, 1000, 555, 700}},
        {5, 0, 1015, {1000, 1000, 555, 15}},
        {5, 0, 1014, {1000, 1000, 555, 555}},
        {6, 900, 1700, {900, 1000, 655, 700}},
        {6, 1555, 1000, {1000, 1000, 555, 555}},
        {7, 900, 0, {900, 1000, 655, 555}},
        {7, 1555, 0, {1000, 1000, 555, 555}},
        {8, 0, 0, {1000, 1000, 555, 555}},
        {4, 31900, 24700, {1000, 1000, 30900, 23700}},
        {4, 60000, 50000, {1000, 1000, 30900, 23700}},
        {0, -29345, -22145, {-29345, -22145, 30900, 23700}},
        {0, -60000, -50000, {-29345, -22145, 30900, 23700}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Values(ResizeByHandle(c.h, frame, c.px, c.py)), Values(c.expected))
            << c.h << " at " << c.px << ", " << c.py;
    }
}

// Outlines on the plate: each channel of the plate's colour half-way to white, ties to the even
// value, the halved bits below each channel dropped.
TEST(FrameColour, EachChannelHalfWayToWhite) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0x000000, 0x7F7F80}, {0xFFFFFF, 0xFFFFFF}, {0x808080, 0xBFBFC0}, {0x404040, 0x9F9FA0},
        {0x0000FF, 0x7F7FFF}, {0x010101, 0x808080}, {0xFF0000, 0xFF7F80}, {0x00FF00, 0x7FFF80},
    };
    for (const auto& [plate, outline] : cases) {
        EXPECT_EQ(GetFrameColor(plate), outline) << std::hex << plate;
    }
}

TEST(Rotation, QuarterTurnsKeepTheSignOfTheDividendWithoutOverflow) {
    const std::pair<int16_t, int16_t> cases[] = {{270, 0},     {-90, 0},    {450, 180},
                                                 {-200, -110}, {32767, 97}, {-32768, -278}};
    for (const auto& [from, to] : cases) {
        EXPECT_EQ(NextRotation(from), to) << from;
    }
    EXPECT_EQ(NormalisedRotation(-90), 270);
    EXPECT_EQ(NormalisedRotation(45), std::nullopt);
}

constexpr uint32_t kBase = 0x808080;

class LayoutFixture : public ::testing::Test {
  protected:
    LayoutFixture() : layout(form, kBase, false) {
        form.resize(1100, 800);
        layout.InitSensors();
    }
    // A placed frame whose drawing is w x h pixels (the frame two pixels more each way, its
    // border) at a window position given in twips, cleared to white.
    Canvas& Place(int sensor, float left, float top, int w, int h) {
        PictureBox& frame = *layout.picPressSens[sensor];
        frame.Move(left, top, static_cast<float>((w + 2) * 15), static_cast<float>((h + 2) * 15));
        frame.canvas().setBackColor(kWhite);
        frame.canvas().cls();
        frame.show();
        return frame.canvas();
    }
    FormSurface form{nullptr};
    SensorLayout layout;
};

TEST_F(LayoutFixture, OriginTickSitsOnTheEdgeWhereYIsZeroForEachRotation) {
    Canvas& canvas = Place(2, 3000, 3000, 40, 30);
    const struct {
        int16_t rotation;
        int inkX, inkY;      // a pixel of the tick next to its inner end
        int clearX, clearY;  // a pixel just beyond its inner end
    } cases[] = {// 0: (20,30)-(20,25); 90: (40,15)-(35,15); 180: (20,0)-(20,5); 270: (0,15)-(5,15).
                 {0, 20, 26, 20, 22},
                 {90, 36, 15, 32, 15},
                 {180, 20, 4, 20, 8},
                 {270, 4, 15, 8, 15}};
    for (const auto& c : cases) {
        canvas.cls();
        DrawOrgMark(*layout.picPressSens[2], c.rotation, kBlack);
        EXPECT_EQ(canvas.pixel(c.inkX, c.inkY), kBlack) << c.rotation;
        EXPECT_EQ(canvas.pixel(c.clearX, c.clearY), kWhite) << c.rotation;
    }
    // 41 pixels wide: the middle 20.5 rounds to 20, so the 2-pixel tick covers columns 19, 20.
    Canvas& odd = Place(3, 3000, 3000, 41, 30);
    DrawOrgMark(*layout.picPressSens[3], 0, kBlack);
    EXPECT_EQ(std::vector<uint32_t>(
                  {odd.pixel(18, 28), odd.pixel(19, 28), odd.pixel(20, 28), odd.pixel(21, 28)}),
              std::vector<uint32_t>({kWhite, kBlack, kBlack, kWhite}));
}

TEST_F(LayoutFixture, FramesAreOutlinedOnThePlateInTheFrameColourOnlyWhileShown) {
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(ToQColor(0x00FF00));
    layout.picBaseSens->canvas().setPicture(picture);
    layout.picBaseSens->Move(3000, 1500, 200 * 15, 150 * 15);
    layout.picBaseSens->show();
    Place(0, 3000 + 30 * 15, 1500 + 40 * 15, 37, 37);
    Place(1, 3000 + 120 * 15, 1500 + 40 * 15, 37, 37);
    layout.picPressSens[1]->hide();
    const Canvas& plate = layout.picBaseSens->canvas();

    DrawSensorFrames(layout, true);
    // Sensor 1's left and top edges, inside it the picture; a hidden frame is not outlined.
    EXPECT_EQ(std::vector<uint32_t>({plate.pixel(30, 60), plate.pixel(50, 40), plate.pixel(50, 60),
                                     plate.pixel(120, 60)}),
              std::vector<uint32_t>({0xBFBFC0u, 0xBFBFC0u, 0x00FF00u, 0x00FF00u}));
    DrawSensorFrames(layout, false);
    EXPECT_EQ(plate.pixel(30, 60), 0x00FF00u);
    EXPECT_EQ(plate.pixel(50, 40), 0x00FF00u);
}

}  // namespace
}  // namespace korvi

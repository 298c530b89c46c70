// The rotation command on the selection, with its origin tick read back from the frame's pixels.
#include <gtest/gtest.h>

#include "tests/layout/EditorFixture.h"

namespace korvi::test {
namespace {

TEST(Rotating, FourCommandsCycleTheTickAndNothingTurnsWithThePlateOrNothingSelected) {
    EditorFixture f(true, {2});
    f.place(6, QPoint(300, 200));
    f.click(&f.frame(6), QPoint(28, 28));
    const Canvas& c = f.frame(6).canvas();
    // Ticks of a 37 x 37 pixel frame, whose drawing is 35 x 35: bottom, right, top, left middles.
    const QPoint tick[4] = {{18, 34}, {34, 18}, {18, 1}, {1, 18}};
    const int16_t expected[4] = {90, 180, 270, 0};
    for (int n = 0; n < 4; ++n) {
        f.editor->cmdRotate_Click();
        EXPECT_EQ(f.l().SensorRotation[6], expected[n]);
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(c.pixel(tick[t].x(), tick[t].y()), t == (n + 1) % 4 ? kBlack : kWhite)
                << "after command " << n + 1 << ", tick " << t;
        }
    }
    f.click(f.form, QPoint(600, 600));
    f.editor->cmdRotate_Click();
    EXPECT_EQ(f.l().SensorRotation[6], 0);
    f.dragTo(f.l().picBase[2], QPoint(5, 5), QPointF(600, 400));
    f.click(f.l().picBaseSens);
    f.editor->cmdRotate_Click();
    EXPECT_EQ(f.l().SensorRotation[6], 0);
    EXPECT_EQ(f.l().StretchTarget, f.l().picBaseSens);
}

}  // namespace
}  // namespace korvi::test

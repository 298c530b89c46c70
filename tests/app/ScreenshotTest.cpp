// What a person sees: the real main window on a real X server (Xvfb), captured from the screen.
// Runs only when KORVI_SCREENSHOT_DIR names a folder for the pictures (ctest's screenshot entry
// starts it under xvfb-run); elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTextLayout>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "platform/Clock.h"
#include "tests/support/FakeSerialLine.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

// True when every character of the text is drawn with a real glyph of some installed font (no
// empty "tofu" boxes).
bool HasRealGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (quint32 index : run.glyphIndexes()) {
            if (index == 0) {
                return false;
            }
            ++glyphs;
        }
    }
    return glyphs > 0;
}

// Dark pixels inside a rectangle of the screen picture: text drawn on a light face.
int Ink(const QImage& screen, const QRect& rect) {
    int ink = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (qGray(screen.pixel(x, y)) < 100) {
                ++ink;
            }
        }
    }
    return ink;
}

TEST(Screenshot, JapaneseCaptionsAndPaletteAreDrawnOnTheRealScreen) {
    const QString outDir = qEnvironmentVariable("KORVI_SCREENSHOT_DIR");
    if (outDir.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "needs an X server (run through ctest's screenshot entry)";
    }
    test::TempAppFolder folder;
    folder.writeDefaults();
    test::RecordingMessageBoxes boxes;
    test::ScriptedFileDialogs dialogs;
    test::RecordingSound sound;
    ManualClock clock;
    test::FakeSerialLine serial;
    MainModule program(boxes, dialogs, sound, clock, serial);
    ASSERT_TRUE(program.Main());
    frmDemo& window = *program.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(300);

    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QDir().mkpath(outDir);
    ASSERT_TRUE(screen.save(QDir(outDir).filePath(QStringLiteral("main-window.png"))));

    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty()) {
            continue;
        }
        EXPECT_TRUE(HasRealGlyphs(button->text(), button->font()))
            << button->objectName().toStdString();
        const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_GT(Ink(screen, onScreen.adjusted(2, 2, -2, -2)), 20)
            << button->objectName().toStdString() << " shows no caption";
    }
    EXPECT_TRUE(HasRealGlyphs(window.windowTitle(), window.font()));

    // Every palette item shows its origin tick (bottom centre) and its number.
    for (PictureBox* item : window.layout().picSensor) {
        const QPoint topLeft = item->mapToGlobal(QPoint(0, 0));
        const QRgb tick = screen.pixel(topLeft + QPoint(18, 34));
        EXPECT_LT(qGray(tick), 60) << item->Index();
        EXPECT_GT(Ink(screen, QRect(topLeft + QPoint(8, 16), QSize(20, 14))), 5) << item->Index();
    }
}

}  // namespace
}  // namespace korvi

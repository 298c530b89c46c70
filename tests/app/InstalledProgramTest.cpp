// The installed program as a new user meets it: the package unpacked into a temporary root, the
// program started from there on a real X server (Xvfb) with an empty home folder and no
// KORVISENSOR_HOME, and its window read back from the screen. Runs only when KORVI_INSTALLED_ROOT
// names the unpacked tree (scripts/package-check.sh does so); elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/Screen.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

using test::CountColour;
using test::Ink;
using test::ReadFile;

// The share of the screen still showing the X server's black background.
double BlackShare(const QImage& screen) {
    return test::CountColour(screen, qRgb(0, 0, 0)) /
           (static_cast<double>(screen.width()) * screen.height());
}

class PackageScreenshot : public ::testing::Test {
  protected:
    void SetUp() override {
        root = qEnvironmentVariable("KORVI_INSTALLED_ROOT");
        if (root.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs the unpacked package and an X server (scripts/package-check.sh)";
        }
        outDir =
            qEnvironmentVariable("KORVI_SCREENSHOT_DIR", work.filePath(QStringLiteral("shots")));
        QDir().mkpath(outDir);
        for (const char* sub : {"home", "tmp", "run"}) {
            QDir(work.path()).mkpath(QString::fromLatin1(sub));
        }
        QFile::setPermissions(work.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
        userFolder = work.filePath(QStringLiteral("home/.local/share/KorviSensor"));
    }
    void TearDown() override { Stop(); }

    // Starts the unpacked program as a user with an empty home would, and waits until its window
    // covers the screen.
    QImage StartAndGrab(const char* name) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* unset : {"KORVISENSOR_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            env.remove(QString::fromLatin1(unset));
        }
        env.insert(QStringLiteral("HOME"), work.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("TMPDIR"), work.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(env);
        program.setProgram(QDir(root).filePath(QStringLiteral("usr/bin/korvisensor")));
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start();
        EXPECT_TRUE(program.waitForStarted(5000));
        QImage screen;
        const bool settled = QTest::qWaitFor(
            [&] {
                screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
                return BlackShare(screen) < 0.05 || program.state() != QProcess::Running;
            },
            20000);
        EXPECT_TRUE(settled) << "the window did not cover the screen";
        QTest::qWait(500);  // the status bar and the palette settle
        screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        EXPECT_TRUE(screen.save(QDir(outDir).filePath(QString::fromLatin1(name))));
        return screen;
    }
    void Stop() {
        if (program.state() != QProcess::NotRunning) {
            program.terminate();
            program.waitForFinished(5000);
        }
    }

    QTemporaryDir work;
    QString root;
    QString outDir;
    QString userFolder;
    QProcess program;
};

TEST_F(PackageScreenshot, FirstStartMakesTheUserFolderAndShowsTheDemoLayout) {
    const QImage first = StartAndGrab("package-first-start.png");
    ASSERT_EQ(program.state(), QProcess::Running) << "the program ended at start";
    const QString demo = QDir(root).filePath(QStringLiteral("usr/share/korvisensor/demo"));
    const QDir user(userFolder);
    for (const char* name :
         {"Setting.ini", "DrawSetting1.ini", "DrawSetting2.ini", "DemoLayout.lay",
          "Bmp/Foot_15.bmp", "Base/Base_2.bmp", "Sound/chime.wav"}) {
        const QByteArray shipped = ReadFile(QDir(demo).filePath(QString::fromLatin1(name)));
        EXPECT_FALSE(shipped.isEmpty()) << name;
        EXPECT_EQ(ReadFile(user.filePath(QString::fromLatin1(name))), shipped) << name;
    }
    EXPECT_TRUE(user.exists(QStringLiteral("SavaData")));

    // The window fills the 1280 x 1024 screen: the menu captions at the top left, the notice
    // about the new folder across the status bar at the bottom.
    ASSERT_EQ(first.size(), QSize(1280, 1024));
    EXPECT_LT(BlackShare(first), 0.05);
    EXPECT_GT(Ink(first, QRect(0, 0, 300, 24)), 20) << "menu captions";
    const QRect statusLeft(0, 996, 300, 28);
    const QRect statusMiddle(600, 996, 400, 28);
    EXPECT_GT(Ink(first, statusLeft), 20);
    EXPECT_GT(Ink(first, statusMiddle), 20) << "the long notice reaches the middle";
    // The demo layout is shown: its plate and frames cover most of the area left of the base
    // box; the layout is offered as a recent one.
    const QRect layoutArea(140, 60, 760, 600);
    const QRgb bare = first.pixel(1150, 400);
    EXPECT_LT(CountColour(first, bare, layoutArea), layoutArea.width() * layoutArea.height() / 2);
    EXPECT_TRUE(ReadFile(work.filePath(QStringLiteral("home/.config/KorviSensor/KorviSensor.conf")))
                    .contains("DemoLayout.lay"));
}

}  // namespace
}  // namespace korvi

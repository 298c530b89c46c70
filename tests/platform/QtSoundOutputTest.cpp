// The Qt sound output in the test environment, which normally has no audio device: nothing may
// wait for a sound, files are judged by their content, and a missing device is told once.
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>

#include "platform/QtSoundOutput.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

TEST(QtSoundOutput, TonesNeverWaitFilesAreJudgedByContentAndTheMissingDeviceIsToldOnce) {
    QtSoundOutput sound;
    QStringList notices;
    sound.setNoticeHandler([&](const QString& text) { notices << text; });
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteFile(dir.filePath("text.wav"), "RIFF but not a sound file\r\n"));
    EXPECT_FALSE(sound.playFile(dir.filePath("text.wav")));
    EXPECT_FALSE(sound.playFile(dir.filePath("missing.wav")));

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 1000; ++i) {
        sound.tone(220 + i, 40);
        if (i % 100 == 0) {
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    // Not a speed check: 1000 tones of 40 ms would take 40 s if each were waited for.
    EXPECT_LT(timer.elapsed(), 30000);
    // With an output that refuses to open the notice may still come, but at most once.
    if (QMediaDevices::audioOutputs().isEmpty()) {
        EXPECT_EQ(notices.size(), 1);
        EXPECT_TRUE(sound.isSilent());
    } else {
        EXPECT_LE(notices.size(), 1);
    }
}

}  // namespace
}  // namespace korvi

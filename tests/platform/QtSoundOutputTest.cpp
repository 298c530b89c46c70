// The Qt sound output in the test environment, which normally has no audio device: nothing may
// hang or wait for a sound, files are judged by their content, and the missing device is told once.
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtEndian>

#include "platform/QtSoundOutput.h"

namespace korvi {
namespace {

QByteArray Le16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray Le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// 16-bit mono PCM at 22050 Hz, with a chunk before the format to be skipped.
QByteArray Wav(bool withData = true) {
    const QByteArray pcm(4410, '\0');
    QByteArray body = "WAVE";
    body += "LIST" + Le32(4) + "INFO";
    body += "fmt " + Le32(16) + Le16(1) + Le16(1) + Le32(22050) + Le32(44100) + Le16(2) + Le16(16);
    if (withData) {
        body += "data" + Le32(static_cast<quint32>(pcm.size())) + pcm;
    }
    return "RIFF" + Le32(static_cast<quint32>(body.size())) + body;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

class QtSoundOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sound.setNoticeHandler([this](const QString& text) { notices << text; });
    }
    // Without any output the notice comes exactly once; with one it may come at most once (a
    // device that refuses to open).
    void ExpectNoticeOnce() const {
        if (QMediaDevices::audioOutputs().isEmpty()) {
            EXPECT_EQ(notices.size(), 1);
            EXPECT_TRUE(sound.isSilent());
        } else {
            EXPECT_LE(notices.size(), 1);
        }
    }

    QtSoundOutput sound;
    QStringList notices;
};

TEST_F(QtSoundOutputTest, ThousandTonesInARowReturnAndTellTheMissingDeviceOnce) {
    for (int i = 0; i < 1000; ++i) {
        sound.tone(220 + i, 40);
        if (i % 100 == 0) {
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    ExpectNoticeOnce();
}

TEST_F(QtSoundOutputTest, FilesAreJudgedByTheirContentAndNeverWaitedFor) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good = Write(dir, QStringLiteral("good.wav"), Wav());
    const QString noData = Write(dir, QStringLiteral("nodata.wav"), Wav(false));
    const QString text = Write(dir, QStringLiteral("text.wav"), "not a sound file\r\n");

    EXPECT_FALSE(sound.playFile(dir.filePath(QStringLiteral("missing.wav"))));
    EXPECT_FALSE(sound.playFile(noData));
    EXPECT_FALSE(sound.playFile(text));
    EXPECT_FALSE(sound.playFile(dir.path()));

    // Each new start cuts off the one before; none is waited for.
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(sound.playFile(good));
        QCoreApplication::processEvents();
    }
    sound.tone(440, 40);
    ExpectNoticeOnce();
}

}  // namespace
}  // namespace korvi

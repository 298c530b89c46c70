// The Qt sound output in the test environment, which normally has no audio device: nothing may
// wait for a sound, files are judged by their content, and a missing device is told once.
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>

#include "platform/QtSoundOutput.h"

namespace korvi {
namespace {

// 16-bit mono PCM at 22050 Hz, with a chunk before the format to be skipped.
QByteArray Wav(bool withData) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("WAVELIST", 8);
    out << quint32(4);
    out.writeRawData("INFOfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(22050) << quint32(44100) << quint16(2)
        << quint16(16);
    if (withData) {
        out.writeRawData("data", 4);
        out << quint32(4410);
        body.append(4410, '\0');
    }
    QByteArray file;
    QDataStream riff(&file, QIODevice::WriteOnly);
    riff.setByteOrder(QDataStream::LittleEndian);
    riff.writeRawData("RIFF", 4);
    riff << quint32(body.size());
    riff.writeRawData(body.constData(), int(body.size()));
    return file;
}

TEST(QtSoundOutput, TonesAndFilesNeverWaitAndTheMissingDeviceIsToldOnce) {
    QtSoundOutput sound;
    QStringList notices;
    sound.setNoticeHandler([&](const QString& text) { notices << text; });
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    EXPECT_FALSE(sound.playFile(dir.filePath("missing.wav")));
    EXPECT_FALSE(sound.playFile(write("nodata.wav", Wav(false))));
    EXPECT_FALSE(sound.playFile(write("text.wav", "not a sound file\r\n")));
    const QString good = write("good.wav", Wav(true));

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 1000; ++i) {
        sound.tone(220 + i, 40);
        if (i % 10 == 0) {
            EXPECT_TRUE(sound.playFile(good));  // each start cuts off the one before
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    EXPECT_LT(timer.elapsed(), 5000);  // 1000 tones of 40 ms would take 40 s if waited for
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

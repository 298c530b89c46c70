// Sound files judged before they are played: what is refused and why.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>

#include "platform/WavFile.h"
#include "tests/support/TempAppFolder.h"

namespace korvi {
namespace {

QByteArray Chunk(const char* id, const QByteArray& body, quint32 size) {
    QByteArray out(id, 4);
    char raw[4];
    qToLittleEndian(size, raw);
    return out + QByteArray(raw, 4) + body + (body.size() % 2 ? QByteArray(1, '\0') : "");
}
QByteArray Chunk(const char* id, const QByteArray& body) {
    return Chunk(id, body, static_cast<quint32>(body.size()));
}

// tag, channels, rate, byte rate, block align, bits
QByteArray Format(quint16 tag, quint16 channels = 1, quint32 rate = 8000, quint16 bits = 16) {
    QByteArray f(16, '\0');
    qToLittleEndian(tag, f.data());
    qToLittleEndian(channels, f.data() + 2);
    qToLittleEndian(rate, f.data() + 4);
    qToLittleEndian<quint32>(rate * channels * bits / 8, f.data() + 8);
    qToLittleEndian<quint16>(channels * bits / 8, f.data() + 12);
    qToLittleEndian(bits, f.data() + 14);
    return Chunk("fmt ", f);
}

QByteArray Riff(const QByteArray& chunks) {
    char raw[4];
    qToLittleEndian<quint32>(static_cast<quint32>(4 + chunks.size()), raw);
    return "RIFF" + QByteArray(raw, 4) + "WAVE" + chunks;
}

const QByteArray kSamples(200, '\x10');

QString Problem(const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.wav"));
    return test::WriteFile(path, bytes) ? WavFileProblem(path) : QStringLiteral("not written");
}

TEST(WavFile, PlayableFilesPassAndEveryOtherKindIsRefusedWithItsReason) {
    QByteArray manyEmpty;
    for (int n = 0; n < 63; ++n) {
        manyEmpty += Chunk("JUNK", {});
    }
    const struct {
        const char* name;
        QByteArray bytes;
        QString problem;
    } cases[] = {
        {"PCM", Riff(Format(1) + Chunk("data", kSamples)), {}},
        {"float, stereo, extra chunks",
         Riff(Format(3, 2, 44100, 32) + Chunk("LIST", "x") + Chunk("data", kSamples)),
         {}},
        {"64 chunks before the data", Riff(Format(1) + manyEmpty + Chunk("data", kSamples)), {}},
        {"65 chunks before the data",
         Riff(Format(1) + manyEmpty + Chunk("JUNK", {}) + Chunk("data", kSamples)),
         QStringLiteral("音声データの前のチャンクが多すぎます (64 個まで)。")},
        {"text", "RIFF but not a sound file\r\n", QStringLiteral("WAVファイルではありません。")},
        {"compressed", Riff(Format(2) + Chunk("data", kSamples)),
         QStringLiteral("再生できない形式です (形式 2、1 チャンネル、8000 Hz、16 ビット)。")},
        {"no channels", Riff(Format(1, 0) + Chunk("data", kSamples)),
         QStringLiteral("再生できない形式です (形式 1、0 チャンネル、8000 Hz、16 ビット)。")},
        {"format cut short", Riff(Chunk("fmt ", QByteArray(10, '\1'))),
         QStringLiteral("形式の情報が途中で切れています。")},
        {"data first", Riff(Chunk("data", kSamples) + Format(1)),
         QStringLiteral("形式の情報が音声データの前にありません。")},
        {"no data", Riff(Format(1)), QStringLiteral("音声データがありません。")},
        {"empty data", Riff(Format(1) + Chunk("data", {})), QStringLiteral("音声データが空です。")},
        {"data promised, none there", Riff(Format(1)) + "data" + QByteArray("\x00\x10\x00\x00", 4),
         QStringLiteral("音声データが空です。")},
        {"chunk header cut", Riff(Format(1)) + "dat",
         QStringLiteral("ファイルが途中で切れています。")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Problem(c.bytes), c.problem) << c.name;
    }
    EXPECT_TRUE(WavFileProblem(QStringLiteral("/nonexistent/x.wav"))
                    .startsWith(QStringLiteral("ファイルを開けません")));
}

}  // namespace
}  // namespace korvi

#include "platform/WavFile.h"

#include <QFile>
#include <QtEndian>

namespace korvi {

namespace {

constexpr quint16 kPcm = 1;
constexpr quint16 kFloat = 3;
constexpr quint16 kExtensible = 0xFFFE;

}  // namespace

QString WavFileProblem(QIODevice& file) {
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") {
        return QStringLiteral("WAVファイルではありません。");
    }
    bool formatSeen = false;
    qint64 chunk = 12;
    for (int n = 0; n <= kWavChunkLimit; ++n) {  // the data chunk comes after the limit
        if (!file.seek(chunk)) {
            return QStringLiteral("音声データがありません。");
        }
        const QByteArray header = file.read(8);
        if (header.size() < 8) {
            return header.isEmpty() ? QStringLiteral("音声データがありません。")
                                    : QStringLiteral("ファイルが途中で切れています。");
        }
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        const QByteArray id = header.left(4);
        if (id == "fmt ") {
            const QByteArray fmt = file.read(16);
            if (size < 16 || fmt.size() < 16) {
                return QStringLiteral("形式の情報が途中で切れています。");
            }
            const quint16 tag = qFromLittleEndian<quint16>(fmt.constData());
            const quint16 channels = qFromLittleEndian<quint16>(fmt.constData() + 2);
            const quint32 rate = qFromLittleEndian<quint32>(fmt.constData() + 4);
            const quint16 bits = qFromLittleEndian<quint16>(fmt.constData() + 14);
            if ((tag != kPcm && tag != kFloat && tag != kExtensible) || channels == 0 ||
                rate == 0 || bits == 0) {
                return QStringLiteral(
                           "再生できない形式です (形式 %1、%2 チャンネル、%3 Hz、%4 ビット)。")
                    .arg(tag)
                    .arg(channels)
                    .arg(rate)
                    .arg(bits);
            }
            formatSeen = true;
        } else if (id == "data") {
            if (!formatSeen) {
                return QStringLiteral("形式の情報が音声データの前にありません。");
            }
            if (size == 0 || file.size() <= chunk + 8) {
                return QStringLiteral("音声データが空です。");
            }
            return {};
        }
        chunk += 8 + qint64{size} + (size & 1);
    }
    return QStringLiteral("音声データの前のチャンクが多すぎます (%1 個まで)。").arg(kWavChunkLimit);
}

QString WavFileProblem(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("ファイルを開けません (%1)。").arg(file.errorString());
    }
    return WavFileProblem(file);
}

}  // namespace korvi

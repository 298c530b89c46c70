#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace korvi {

namespace {
constexpr const char* kCp932 = "windows-31j";
}

QString DecodeCp932(const QByteArray& bytes) {
    QStringDecoder decoder(kCp932);
    if (!decoder.isValid()) {
        return QString::fromLatin1(bytes);
    }
    return decoder.decode(bytes);
}

QByteArray EncodeCp932(const QString& text) {
    QStringEncoder encoder(kCp932);
    if (!encoder.isValid()) {
        return text.toLatin1();
    }
    return encoder.encode(text);
}

QString DecodeSettingsText(const QByteArray& bytes) {
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body.remove(0, 3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError()) {
        return text;
    }
    return DecodeCp932(body);
}

}  // namespace korvi

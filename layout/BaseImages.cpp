#include "layout/BaseImages.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>

#include "platform/AppFolder.h"

namespace korvi {

namespace {

uint32_t U32(const QByteArray& b, int at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t U16(const QByteArray& b, int at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}

constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

}  // namespace

QString BaseImagePath(const QString& baseDir, int k) {
    return NativePath(baseDir + QStringLiteral("\\Base_") + QString::number(k) +
                      QStringLiteral(".bmp"));
}

bool BitmapDataComplete(const QByteArray& bytes) {
    if (!bytes.startsWith("BM")) {
        return true;
    }
    constexpr int kFileHeader = 14;
    if (bytes.size() < kFileHeader + 12) {
        return false;
    }
    const uint32_t pixelOffset = U32(bytes, 10);
    const uint32_t infoSize = U32(bytes, 14);
    int64_t width = 0;
    int64_t height = 0;
    uint32_t bitCount = 0;
    uint32_t compression = kRgb;
    if (infoSize == 12) {
        width = U16(bytes, 18);
        height = U16(bytes, 20);
        bitCount = U16(bytes, 24);
    } else if (infoSize >= 40 && bytes.size() >= kFileHeader + 40) {
        width = static_cast<int32_t>(U32(bytes, 18));
        height = static_cast<int32_t>(U32(bytes, 22));
        bitCount = U16(bytes, 28);
        compression = U32(bytes, 30);
    } else {
        return false;
    }
    if (pixelOffset > static_cast<uint64_t>(bytes.size())) {
        return false;
    }
    if (compression != kRgb && compression != kBitFields) {
        // Run-length data has no fixed size; the decoder judges it.
        return true;
    }
    const int64_t stride = (std::llabs(width) * bitCount + 31) / 32 * 4;
    const int64_t available = bytes.size() - static_cast<int64_t>(pixelOffset);
    // Divided rather than multiplied: header values are untrusted and could overflow a product.
    return stride == 0 || std::llabs(height) <= available / stride;
}

QImage LoadBasePicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (!BitmapDataComplete(bytes)) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage picture = reader.read();
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
        return {};
    }
    return picture;
}

}  // namespace korvi

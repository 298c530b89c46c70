#include "layout/LayoutFile.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

#include "layout/Rotation.h"

namespace korvi {

namespace {

class Writer {
  public:
    explicit Writer(QByteArray& bytes, int at) : bytes_(bytes), at_(at) {}
    void i16(int16_t v) { put(qToLittleEndian(v)); }
    void i32(int32_t v) { put(qToLittleEndian(v)); }
    void f32(float v) {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        put(qToLittleEndian(bits));
    }

  private:
    template <typename T>
    void put(T v) {
        std::memcpy(bytes_.data() + at_, &v, sizeof v);
        at_ += static_cast<int>(sizeof v);
    }
    QByteArray& bytes_;
    int at_;
};

// Reads a record; bytes past the end of a short file read as zero.
class Reader {
  public:
    Reader(const QByteArray& bytes, int at) : bytes_(bytes), at_(at) {}
    int16_t i16() { return qFromLittleEndian(get<int16_t>()); }
    int32_t i32() { return qFromLittleEndian(get<int32_t>()); }
    float f32() {
        const uint32_t bits = qFromLittleEndian(get<uint32_t>());
        float v = 0;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

  private:
    template <typename T>
    T get() {
        unsigned char raw[sizeof(T)] = {};
        for (size_t n = 0; n < sizeof(T); ++n) {
            const int pos = at_ + static_cast<int>(n);
            raw[n] = pos < bytes_.size() ? static_cast<unsigned char>(bytes_[pos]) : 0;
        }
        at_ += static_cast<int>(sizeof(T));
        T v;
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
    const QByteArray& bytes_;
    int at_;
};

QString Number(float v) {
    return QString::number(static_cast<double>(v), 'g', 9);
}

// Why a rectangle cannot be applied, or an empty text. A shown rectangle (a placed frame, a merge
// host, the base plate) must be at least a pixel in each direction and overlap the layout area;
// a hidden one only has to lie within reach of it, as its place and size are kept for later.
QString CheckGeometry(const QString& who, float left, float top, float width, float height,
                      bool shown) {
    struct Field {
        const char16_t* name;
        float value;
        float low;
        float high;
    };
    const float smallest = shown ? kLayoutSmallestSize : 0.0f;
    const Field fields[] = {
        {u"上端", top, -kLayoutAreaHeight, kLayoutAreaHeight},
        {u"左端", left, -kLayoutAreaWidth, kLayoutAreaWidth},
        {u"幅", width, smallest, kLayoutLargestWidth},
        {u"高さ", height, smallest, kLayoutLargestHeight},
    };
    for (const Field& f : fields) {
        const QString name = QString::fromUtf16(f.name);
        if (!std::isfinite(f.value)) {
            return who + QStringLiteral(" の") + name + QStringLiteral("が数値ではありません。");
        }
        if (f.value < f.low || f.value > f.high) {
            return who + QStringLiteral(" の%1 %2 が範囲外です (%3 〜 %4)。")
                             .arg(name, Number(f.value), Number(f.low), Number(f.high));
        }
    }
    if (shown && (left >= kLayoutAreaWidth || top >= kLayoutAreaHeight || left + width <= 0 ||
                  top + height <= 0)) {
        return who + QStringLiteral(" が表示できる範囲の外にあります。");
    }
    return {};
}

QString SensorName(int i) {
    return QStringLiteral("センサ%1").arg(i + 1);
}

QString Check(LayoutFileData& d) {
    if (d.base.BaseIndex < -1 || d.base.BaseIndex > 15) {
        return QStringLiteral("ベース番号 %1 が範囲外です。").arg(d.base.BaseIndex);
    }
    std::array<int, 16> hostOf{};
    hostOf.fill(-1);
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 16; ++j) {
            if (d.sensors[i].MergedInto[j] == 0) {
                continue;
            }
            if (j == i) {
                return SensorName(i) + QStringLiteral(" が自分自身に統合されています。");
            }
            if (hostOf[j] != -1) {
                return SensorName(j) + QStringLiteral(" が二つのセンサに統合されています。");
            }
            hostOf[j] = i;
        }
    }
    for (int j = 0; j < 16; ++j) {
        const int host = hostOf[j];
        if (host == -1) {
            continue;
        }
        if (hostOf[host] != -1) {
            return SensorName(host) +
                   QStringLiteral(" は統合されたセンサなので統合先になれません。");
        }
        if (d.sensors[host].Visible == 0) {
            return SensorName(j) + QStringLiteral(" の統合先 ") + SensorName(host) +
                   QStringLiteral(" が配置されていません。");
        }
        if (d.sensors[j].Visible != 0) {
            return SensorName(j) + QStringLiteral(" は統合されているのに表示になっています。");
        }
    }
    for (int i = 0; i < 16; ++i) {
        SensorFileRecord& r = d.sensors[i];
        // A merged sensor's frame is hidden but keeps the place where it was dropped on its host.
        const bool inUse = r.Visible != 0 || hostOf[i] != -1;
        const QString fault = CheckGeometry(SensorName(i), r.Left, r.Top, r.Width, r.Height, inUse);
        if (!fault.isEmpty()) {
            return fault;
        }
        const std::optional<int16_t> rotation = NormalisedRotation(r.Rotation);
        if (!rotation) {
            return SensorName(i) + QStringLiteral(" の回転角 %1 が不正です。").arg(r.Rotation);
        }
        r.Rotation = *rotation;
    }
    const BaseFileRecord& b = d.base;
    if (b.BaseIndex == -1) {
        return {};
    }
    return CheckGeometry(QStringLiteral("ベース"), b.Left, b.Top, b.Width, b.Height, true);
}

}  // namespace

QByteArray EncodeLayoutFile(const LayoutFileData& data) {
    QByteArray bytes(kLayoutFileSize, '\0');
    for (int i = 0; i < 16; ++i) {
        const SensorFileRecord& r = data.sensors[i];
        Writer w(bytes, i * kLayoutRecordSize);
        w.i16(r.Index);
        w.f32(r.Top);
        w.f32(r.Left);
        w.f32(r.Width);
        w.f32(r.Height);
        w.i32(r.BackColor);
        w.i16(r.Visible);
        w.i16(r.Rotation);
        for (int16_t flag : r.MergedInto) {
            w.i16(flag);
        }
    }
    Writer w(bytes, 16 * kLayoutRecordSize);
    w.i16(data.base.BaseIndex);
    w.f32(data.base.Top);
    w.f32(data.base.Left);
    w.f32(data.base.Width);
    w.f32(data.base.Height);
    return bytes;
}

DecodedLayout DecodeLayoutFile(const QByteArray& bytes) {
    if (bytes.size() < kLayoutMinimumSize) {
        return {std::nullopt,
                QStringLiteral("ファイルが短すぎます (%1 バイト)。").arg(bytes.size())};
    }
    LayoutFileData d;
    for (int i = 0; i < 16; ++i) {
        SensorFileRecord& r = d.sensors[i];
        Reader in(bytes, i * kLayoutRecordSize);
        r.Index = in.i16();
        r.Top = in.f32();
        r.Left = in.f32();
        r.Width = in.f32();
        r.Height = in.f32();
        r.BackColor = in.i32();
        r.Visible = in.i16();
        r.Rotation = in.i16();
        for (int16_t& flag : r.MergedInto) {
            flag = in.i16();
        }
    }
    Reader in(bytes, 16 * kLayoutRecordSize);
    d.base.BaseIndex = in.i16();
    d.base.Top = in.f32();
    d.base.Left = in.f32();
    d.base.Width = in.f32();
    d.base.Height = in.f32();
    QString fault = Check(d);
    if (!fault.isEmpty()) {
        return {std::nullopt, fault};
    }
    return {d, {}};
}

}  // namespace korvi

// Layout files of any content: a file the decoder accepts lies within the layout area and comes
// back the same when it is saved and read again; a refused file says why.
#include "fuzz/FuzzSupport.h"
#include "layout/LayoutFile.h"

using namespace korvi;

namespace {

void WithinArea(float left, float top, float width, float height) {
    fuzz::Expect(left >= -kLayoutAreaWidth && left <= kLayoutAreaWidth, "left edge");
    fuzz::Expect(top >= -kLayoutAreaHeight && top <= kLayoutAreaHeight, "top edge");
    fuzz::Expect(width >= 0 && width <= kLayoutLargestWidth, "width");
    fuzz::Expect(height >= 0 && height <= kLayoutLargestHeight, "height");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DecodedLayout decoded = DecodeLayoutFile(fuzz::Bytes(data, size));
    if (!decoded.data) {
        fuzz::Expect(!decoded.fault.isEmpty(), "a refusal says why");
        return 0;
    }
    const LayoutFileData& d = *decoded.data;
    for (const SensorFileRecord& r : d.sensors) {
        WithinArea(r.Left, r.Top, r.Width, r.Height);
        fuzz::Expect(r.Rotation == 0 || r.Rotation == 90 || r.Rotation == 180 || r.Rotation == 270,
                     "rotation");
        if (r.Visible != 0) {
            fuzz::Expect(r.Width >= kLayoutSmallestSize && r.Height >= kLayoutSmallestSize,
                         "a shown frame is at least a pixel");
        }
    }
    fuzz::Expect(d.base.BaseIndex >= -1 && d.base.BaseIndex <= 15, "base index");
    if (d.base.BaseIndex != -1) {
        WithinArea(d.base.Left, d.base.Top, d.base.Width, d.base.Height);
    }
    const QByteArray saved = EncodeLayoutFile(d);
    fuzz::Expect(saved.size() == kLayoutFileSize, "a saved file is 1020 bytes");
    const DecodedLayout again = DecodeLayoutFile(saved);
    fuzz::Expect(again.data.has_value(), "a saved layout loads again");
    fuzz::Expect(EncodeLayoutFile(*again.data) == saved, "and comes back the same");
    return 0;
}

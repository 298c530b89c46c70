// The layout file: 17 packed little-endian records of 60 bytes (16 sensor records, then the base
// record), encoded from and decoded into plain structs. Decoding checks the whole file, so that a
// file the program cannot apply safely is refused before anything changes.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace korvi {

inline constexpr int kLayoutRecordSize = 60;
inline constexpr int kLayoutRecordCount = 17;
inline constexpr int kLayoutFileSize = kLayoutRecordSize * kLayoutRecordCount;  // 1020
// The end of the used part of the base record; shorter files are refused.
inline constexpr int kLayoutMinimumSize = 16 * kLayoutRecordSize + 18;  // 978
// Where a layout may lie: four times the window's designed client area (1030 x 790 pixels) in
// each direction, at 15 twips a pixel, which covers a window maximised on a 4K screen. Every frame
// and the base plate must lie within it, and a shown one must overlap it.
inline constexpr float kLayoutAreaWidth = 61800.0f;   // twips
inline constexpr float kLayoutAreaHeight = 47400.0f;  // twips
// How large a frame or the plate may be: twice the designed client area in each direction
// (2060 x 1580 pixels), so that the drawings of 16 frames and the plate stay within about 220 MB
// and load in a fraction of a second; and at least a pixel when shown.
inline constexpr float kLayoutLargestWidth = 30900.0f;   // twips
inline constexpr float kLayoutLargestHeight = 23700.0f;  // twips
inline constexpr float kLayoutSmallestSize = 15.0f;      // one pixel, in twips

struct SensorFileRecord {
    int16_t Index = 0;
    float Top = 0;
    float Left = 0;
    float Width = 0;
    float Height = 0;
    int32_t BackColor = 0;
    int16_t Visible = 0;  // -1 shown, 0 hidden; any non-zero value reads as shown
    int16_t Rotation = 0;
    std::array<int16_t, 17> MergedInto{};  // -1 where sensor j is merged into this one
};

struct BaseFileRecord {
    int16_t BaseIndex = -1;
    float Top = 0;
    float Left = 0;
    float Width = 0;
    float Height = 0;
};

struct LayoutFileData {
    std::array<SensorFileRecord, 16> sensors{};
    BaseFileRecord base{};
};

// Exactly kLayoutFileSize bytes; the unused tail of the base record is zero.
QByteArray EncodeLayoutFile(const LayoutFileData& data);

struct DecodedLayout {
    std::optional<LayoutFileData> data;  // set when the file can be applied
    QString fault;                       // why not, in the user's words
};

// Reads and checks a whole file. Rotations that are other multiples of 90 come back in 0..270.
DecodedLayout DecodeLayoutFile(const QByteArray& bytes);

}  // namespace korvi

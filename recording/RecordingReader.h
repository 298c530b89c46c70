// Reading a recording back: the file the CSV recorder writes (its Shift-JIS header line, then one
// "sensor,pressure,x,y" row per line, every line ended by CR LF, or by LF once a tool has changed
// the line ends). A file that does not follow that format exactly is refused with the number of
// its first line that does not fit, so nothing of a damaged or foreign file is ever played.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace korvi {

struct RecordedRow {
    int16_t sensor = 0;  // 0..15
    int16_t press = 0;   // 0..255
    int16_t x = 0;       // 0..4095
    int16_t y = 0;       // 0..4095
    bool operator==(const RecordedRow&) const = default;
};

struct Recording {
    std::vector<RecordedRow> rows;
    // 0 when the whole file was read; otherwise the first line (1 is the header) that does not
    // fit, with what is wrong with it. `rows` is then empty.
    int badLine = 0;
    QString problem;
    bool ok() const { return badLine == 0; }
};

// The header line as the recorder writes it, without its CR LF.
QByteArray RecordingHeader();

// Reads the bytes of a whole recording.
Recording ParseRecording(const QByteArray& bytes);

// Reads the file at `path`. A file that cannot be read or is too large to be a recording is
// refused as line 1 is.
Recording ReadRecordingFile(const QString& path);

// "<file> は記録の形式ではありません。..." naming the file and the bad line, for the user; a file
// whose first line is not the header is "<file> は記録の形式ではありません: 見出し行が違います".
QString RecordingRefusal(const QString& path, const Recording& recording);

}  // namespace korvi

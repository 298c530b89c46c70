#include "recording/RecordingReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>

#include "platform/TextCodec.h"

namespace korvi {

namespace {

// The recorder stops after 32001 rows of at most 20 bytes; anything far larger is not one of its
// files and is not read into memory.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

struct Field {
    int max;
    const char* name;
};

constexpr std::array<Field, 4> kFields = {{
    {15, "センサーNo."},
    {255, "圧力"},
    {4095, "X座標"},
    {4095, "Y座標"},
}};

// One row without its line end; empty text when it fits, else what is wrong.
QString ParseRow(const char* begin, const char* end, RecordedRow& row) {
    std::array<int, 4> values{};
    const char* p = begin;
    for (size_t f = 0; f < kFields.size(); ++f) {
        if (f > 0) {
            if (p == end) {
                return QStringLiteral("項目が4つではありません");
            }
            if (*p != ',') {
                return QStringLiteral("数字と区切り以外の文字があります");
            }
            ++p;
        }
        const char* digits = p;
        int value = 0;
        while (p != end && *p >= '0' && *p <= '9' && p - digits < 5) {
            value = value * 10 + (*p - '0');
            ++p;
        }
        const QString name = QString::fromUtf8(kFields[f].name);
        if (p == digits || (p != end && *p >= '0' && *p <= '9')) {
            return p == digits
                       ? QStringLiteral("%1が数字ではありません").arg(name)
                       : QStringLiteral("%1が範囲(0～%2)外です").arg(name).arg(kFields[f].max);
        }
        if (value > kFields[f].max) {
            return QStringLiteral("%1が範囲(0～%2)外です").arg(name).arg(kFields[f].max);
        }
        values[f] = value;
    }
    if (p != end) {
        return *p == ',' ? QStringLiteral("項目が4つではありません")
                         : QStringLiteral("数字と区切り以外の文字があります");
    }
    row = {static_cast<int16_t>(values[0]), static_cast<int16_t>(values[1]),
           static_cast<int16_t>(values[2]), static_cast<int16_t>(values[3])};
    return {};
}

const QString kNotAHeader = QStringLiteral("見出し行が違います");

Recording Refused(int line, const QString& problem) {
    Recording r;
    r.badLine = line;
    r.problem = problem;
    return r;
}

}  // namespace

QByteArray RecordingHeader() {
    return EncodeCp932(QStringLiteral("センサーNo.,圧力,X座標,Y座標"));
}

Recording ParseRecording(const QByteArray& bytes) {
    static const QByteArray header = RecordingHeader();
    Recording result;
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    for (int line = 1; line == 1 || p != end; ++line) {
        const char* lineEnd = p;
        while (lineEnd != end && *lineEnd != '\r' && *lineEnd != '\n') {
            ++lineEnd;
        }
        // CR LF as the recorder writes it, or LF as a tool that converts line ends leaves it.
        const char* next = nullptr;
        if (lineEnd != end && *lineEnd == '\n') {
            next = lineEnd + 1;
        } else if (end - lineEnd >= 2 && lineEnd[0] == '\r' && lineEnd[1] == '\n') {
            next = lineEnd + 2;
        }
        // The header is looked at before its line end: a file that is no recording at all is
        // called that, not refused for a detail.
        if (line == 1 && QByteArray::fromRawData(p, lineEnd - p) != header) {
            return Refused(line, kNotAHeader);
        }
        if (next == nullptr) {
            return Refused(line, QStringLiteral("行末が CR LF でも LF でもありません"));
        }
        if (line > 1) {
            RecordedRow row;
            const QString problem = ParseRow(p, lineEnd, row);
            if (!problem.isEmpty()) {
                return Refused(line, problem);
            }
            result.rows.push_back(row);
        }
        p = next;
    }
    return result;
}

Recording ReadRecordingFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Refused(1, QStringLiteral("ファイルを読めません"));
    }
    if (file.size() > kMaxFileBytes) {
        return Refused(1, QStringLiteral("記録としては大きすぎます"));
    }
    return ParseRecording(file.readAll());
}

QString RecordingRefusal(const QString& path, const Recording& recording) {
    if (recording.badLine == 1 && recording.problem == kNotAHeader) {
        return QStringLiteral("%1 は記録の形式ではありません: %2")
            .arg(QDir::toNativeSeparators(path), kNotAHeader);
    }
    return QStringLiteral("%1 は記録の形式ではありません。\r\n%2 行目: %3")
        .arg(QDir::toNativeSeparators(path))
        .arg(recording.badLine)
        .arg(recording.problem);
}

}  // namespace korvi

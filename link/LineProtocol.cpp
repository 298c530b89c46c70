#include "link/LineProtocol.h"

#include <initializer_list>

#include "settings/NumberText.h"

namespace korvi {

namespace {

// Reads the characters at the given 1-based positions as one hexadecimal number, stopping at
// the first character that is missing or not a hex digit.
int16_t HexField(const QString& line, std::initializer_list<qsizetype> positions) {
    int value = 0;
    for (const qsizetype pos : positions) {
        if (pos > line.size()) {
            break;
        }
        const int digit = HexDigitValue(line.at(pos - 1));
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return static_cast<int16_t>(value);
}

}  // namespace

void SplitReceivedLines(const QByteArray& chunk, ReceiveState& state, BufferClass& RxBuffer) {
    QByteArray& pending = state.RxPending;
    // Only the new bytes need scanning, plus the last old byte: it may be the CR of a CR LF
    // whose LF opens this chunk.
    qsizetype scanFrom = pending.isEmpty() ? 0 : pending.size() - 1;
    pending.append(chunk);

    qsizetype lineStart = 0;
    for (;;) {
        const qsizetype cr = pending.indexOf("\r\n", scanFrom);
        if (cr < 0) {
            break;
        }
        const QString line = QString::fromLatin1(pending.constData() + lineStart, cr - lineStart);
        if (!RxBuffer.SetData(line)) {
            ++state.RefusedLines;
        }
        state.RxDataReady = true;
        lineStart = cr + 2;
        scanFrom = lineStart;
    }
    if (lineStart > 0) {
        pending.remove(0, lineStart);
    }
    if (pending.size() > kMaxPendingBytes) {
        const qsizetype excess = pending.size() - kMaxPendingBytes;
        pending.remove(0, excess);
        state.DroppedBytes += excess;
    }
}

Reading DecodeDataLine(const QString& line) {
    Reading r;
    r.RxSensor = HexField(line, {2});
    r.RxPress = HexField(line, {3, 4});
    r.RxX = HexField(line, {5, 6, 9});
    r.RxY = HexField(line, {7, 8, 10});
    return r;
}

bool IsReadyStatus(const QString& line) {
    return line.size() >= 2 && line.at(0) == u'r' && line.at(1) == u'0';
}

int16_t SkipCountFromStatus(const QString& line) {
    const int digit = line.size() >= 3 ? HexDigitValue(line.at(2)) : -1;
    return static_cast<int16_t>((digit < 0 ? 0 : digit) + 1);
}

}  // namespace korvi

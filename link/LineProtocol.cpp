#include "link/LineProtocol.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "settings/NumberText.h"

namespace korvi {

namespace {

// The value of a hexadecimal digit, -1 for any other character.
constexpr std::array<int8_t, 128> kHexValue = [] {
    std::array<int8_t, 128> table{};
    table.fill(-1);
    for (int c = '0'; c <= '9'; ++c) {
        table[static_cast<size_t>(c)] = static_cast<int8_t>(c - '0');
    }
    for (int c = 'A'; c <= 'F'; ++c) {
        table[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'A' + 10);
        table[static_cast<size_t>(c - 'A' + 'a')] = static_cast<int8_t>(c - 'A' + 10);
    }
    return table;
}();

int HexAt(const QChar* text, qsizetype size, qsizetype pos) {
    if (pos > size) {
        return -1;
    }
    const char16_t u = text[pos - 1].unicode();
    return u < 128 ? kHexValue[u] : -1;
}

// Reads the characters at the given 1-based positions as one hexadecimal number, stopping at
// the first character that is missing or not a hex digit.
int16_t HexField(const QChar* text, qsizetype size, std::initializer_list<qsizetype> positions) {
    int value = 0;
    for (const qsizetype pos : positions) {
        const int digit = HexAt(text, size, pos);
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
    // whose LF opens this chunk. Held lines are complete and are scanned again from the front.
    qsizetype scanFrom = pending.isEmpty() || state.Held ? 0 : pending.size() - 1;
    qsizetype from = 0;
    if (state.DiscardingLine) {
        // The rest of an over-long line goes, up to its CR LF; there its kept head ends.
        qsizetype rest = 0;
        if (state.DiscardEndsInCr && chunk.startsWith('\n')) {
            from = 1;
        } else if (!chunk.isEmpty()) {
            // A CR kept back from the last chunk was not the line's end after all.
            rest = state.DiscardEndsInCr ? 1 : 0;
            if (const qsizetype cr = chunk.indexOf("\r\n"); cr >= 0) {
                rest += cr;
                from = cr + 2;
            } else {
                state.DiscardEndsInCr = chunk.endsWith('\r');
                state.DroppedBytes += rest + chunk.size() - (state.DiscardEndsInCr ? 1 : 0);
                return;
            }
        } else {
            return;
        }
        state.DroppedBytes += rest;
        state.DiscardingLine = false;
        state.DiscardEndsInCr = false;
        pending.append("\r\n");
    }
    if (from == 0) {
        pending.append(chunk);
    } else {
        pending.append(chunk.constData() + from, chunk.size() - from);
    }

    state.Held = false;
    qsizetype lineStart = 0;
    for (;;) {
        const qsizetype cr = FindLineEnd(pending.constData(), pending.size(), scanFrom);
        if (cr < 0) {
            break;
        }
        if (!RxBuffer.IsFull()) {
            RxBuffer.SetLatin1(pending.constData() + lineStart,
                               std::min(cr - lineStart, kMaxPendingBytes));
            state.RxDataReady = true;
        } else if (state.HoldWhenFull) {
            state.Held = true;
            break;
        } else {
            // Counted without building the text nobody will read.
            RxBuffer.CountRefusal();
            ++state.RefusedLines;
            state.RxDataReady = true;
        }
        if (cr - lineStart > kMaxPendingBytes) {
            state.DroppedBytes += cr - lineStart - kMaxPendingBytes;
            ++state.CutLines;
        }
        lineStart = cr + 2;
        scanFrom = lineStart;
    }
    if (lineStart > 0) {
        pending.remove(0, lineStart);
    }
    // A CR at the very end may still become the line's end with the next byte.
    const bool endsInCr = pending.endsWith('\r');
    const qsizetype tail = pending.size() - (endsInCr ? 1 : 0);
    if (!state.Held && tail > kMaxPendingBytes) {
        state.DroppedBytes += tail - kMaxPendingBytes;
        ++state.CutLines;
        state.DiscardingLine = true;
        state.DiscardEndsInCr = endsInCr;
        pending.truncate(kMaxPendingBytes);
    }
}

Reading DecodeDataLine(const QString& line) {
    const QChar* text = line.constData();
    const qsizetype size = line.size();
    Reading r;
    r.RxSensor = HexField(text, size, {2});
    r.RxPress = HexField(text, size, {3, 4});
    r.RxX = HexField(text, size, {5, 6, 9});
    r.RxY = HexField(text, size, {7, 8, 10});
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

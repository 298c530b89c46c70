// The controller's line protocol on the receive side: cutting the received byte stream into
// lines ended by CR LF, decoding a data line into one reading, and reading the status reply.
//
//   ReceiveState state;                       // lives as long as the program
//   SplitReceivedLines(line.readAll(), state, RxBuffer);
//   QString text;
//   if (RxBuffer.TakeData(text) && text.startsWith(u'd')) {
//       const Reading r = DecodeDataLine(text);
//   }
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>

#include "link/BufferClass.h"

namespace korvi {

struct ReceiveState {
    // Received bytes not yet stored as lines; kept across communication runs.
    QByteArray RxPending;
    // Set whenever a line is stored; cleared by the exchange loop and when a command is sent.
    bool RxDataReady = false;
    // While the exchange runs, complete lines that find RxBuffer full wait in RxPending (Held)
    // and the line is not read until the exchange has taken lines: nothing is lost, the sender
    // is slowed down by the serial line instead. Otherwise such lines are refused and counted.
    bool HoldWhenFull = false;
    bool Held = false;
    // Bytes thrown away from lines longer than kMaxPendingBytes, and how many lines were cut.
    int64_t DroppedBytes = 0;
    int64_t CutLines = 0;
    // Lines refused because RxBuffer was full (RxBuffer.RefusedCount() counts the same).
    int64_t RefusedLines = 0;
    // The rest of an over-long line is being thrown away up to its CR LF, its head waiting in
    // RxPending; `DiscardEndsInCr`: the last byte received was a CR, not yet counted, so an LF
    // next ends the line.
    bool DiscardingLine = false;
    bool DiscardEndsInCr = false;
};

// A line longer than this keeps only its first kMaxPendingBytes: the rest is thrown away up to
// its CR LF and counted, and the head is stored as the line. The pending text so cannot grow
// without bound, and a reading at the start of a line that runs on is still decoded (the decoder
// reads fixed positions); a head that is no reading is passed over like any other such line.
inline constexpr qsizetype kMaxPendingBytes = 64 * 1024;

// Appends the chunk to RxPending and stores every complete line (without its CR LF) in RxBuffer
// in arrival order. An empty line is stored as an empty text; a lone CR or LF stays part of the
// line. Bytes are taken as Latin-1 (the protocol is ASCII). A chunk may be empty: lines held
// back because RxBuffer was full are then stored as far as they fit.
void SplitReceivedLines(const QByteArray& chunk, ReceiveState& state, BufferClass& RxBuffer);

struct Reading {
    int16_t RxSensor = 0;
    int16_t RxPress = 0;
    int16_t RxX = 0;
    int16_t RxY = 0;
};

// Decodes a data line "d" + sensor + pressure (2) + X high (2) + Y high (2) + X low + Y low.
// Each field is read as hexadecimal up to its first non-hex character; a field with no digit or
// beyond the end of the line reads 0. Nothing checks lengths or ranges.
Reading DecodeDataLine(const QString& line);

// Where the next CR LF starts at or after `from`, or -1.
inline qsizetype FindLineEnd(const char* data, qsizetype size, qsizetype from) {
    while (from < size) {
        const void* cr = std::memchr(data + from, '\r', static_cast<size_t>(size - from));
        if (cr == nullptr) {
            return -1;
        }
        const qsizetype at = static_cast<const char*>(cr) - data;
        if (at + 1 < size && data[at + 1] == '\n') {
            return at;
        }
        from = at + 1;
    }
    return -1;
}

// The controller is ready: the status line begins "r0" (case-sensitive).
bool IsReadyStatus(const QString& line);
// Data lines to discard after a ready status: its third character as a hex digit (0 when
// missing or not a digit) plus one.
int16_t SkipCountFromStatus(const QString& line);

}  // namespace korvi

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

#include "link/BufferClass.h"

namespace korvi {

struct ReceiveState {
    // Received bytes not yet ended by CR LF; kept across communication runs.
    QByteArray RxPending;
    // Set whenever a line is stored; cleared by the exchange loop and when a command is sent.
    bool RxDataReady = false;
    // Bytes thrown away because a device kept sending without ever ending a line.
    int64_t DroppedBytes = 0;
    // Lines refused because RxBuffer was full (RxBuffer.RefusedCount() counts the same).
    int64_t RefusedLines = 0;
};

// More than this without a CR LF is not a line of this protocol; the oldest bytes are dropped
// so that the pending text cannot grow without bound.
inline constexpr qsizetype kMaxPendingBytes = 64 * 1024;

// Appends the chunk to RxPending and stores every complete line (without its CR LF) in RxBuffer
// in arrival order. An empty line is stored as an empty text; a lone CR or LF stays part of the
// line. Bytes are taken as Latin-1 (the protocol is ASCII).
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

// The controller is ready: the status line begins "r0" (case-sensitive).
bool IsReadyStatus(const QString& line);
// Data lines to discard after a ready status: its third character as a hex digit (0 when
// missing or not a digit) plus one.
int16_t SkipCountFromStatus(const QString& line);

}  // namespace korvi

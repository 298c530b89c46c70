// The trace: a ring of the most recent strong marks, each with the panel it was drawn on, kept
// so that every reading with trace display on can redraw the recent history.
#pragma once

#include <cstdint>
#include <vector>

#include "layout/SensorLayout.h"

namespace korvi {

class TraceRing {
  public:
    // Makes room for `traceSize` marks, all cleared, and empties the ring. A size of 0 or less
    // gives a ring that keeps nothing.
    void Resize(int16_t traceSize);
    // Forgets the stored marks without touching the storage.
    void Reset();
    // Stores a mark at TraceNext and advances it; nothing happens when the ring keeps nothing.
    void Store(int16_t panel, const PressMark& mark);

    int Size() const { return size_; }

    // The stored marks, oldest first: start position and number of entries; positions advance
    // by one modulo Size().
    struct Span {
        int start = 0;
        int count = 0;
    };
    Span OldestFirst() const;
    int NextPosition(int position) const { return position + 1 >= size_ ? 0 : position + 1; }

    // Entries 0..Size() exist (one more than used, as the ring has always been sized);
    // positions 0..Size()-1 hold marks.
    std::vector<int16_t> TraceSensor;
    std::vector<PressMark> TraceMarks;
    // Marks stored since the last reset; keeps growing past Size() (stops at the largest value
    // rather than wrapping).
    int32_t TraceCount = 0;
    int16_t TraceNext = 0;

    // Marks stored since the ring was made, and how often it was emptied. Within one emptying,
    // the stored marks are numbered Stored() - count .. Stored() - 1, oldest first, for good:
    // a display that drew some of them knows which are new and which have left.
    uint64_t Stored() const { return stored_; }
    uint64_t Resets() const { return resets_; }

  private:
    int size_ = 0;
    uint64_t stored_ = 0;
    uint64_t resets_ = 0;
};

}  // namespace korvi

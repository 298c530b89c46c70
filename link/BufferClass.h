// The first-in-first-out ring that carries complete reply lines from the receive event to the
// exchange loop (the program's one instance is RxBuffer, sized 10240 at start-up).
//
//   BufferClass RxBuffer;
//   RxBuffer.SetSize(10240);         // at most 10240 waiting lines
//   RxBuffer.SetData(line);          // false (and counted) when the ring is full
//   QString line;
//   while (RxBuffer.TakeData(line)) { ... }
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace korvi {

class BufferClass {
  public:
    BufferClass();

    // The slot count (10 on creation). The ring holds at most Size() - 1 values.
    int16_t Size() const { return slotCount_; }
    // Makes room for `v` waiting values (slot count v + 1). Values already waiting are kept in
    // order; a value from 1 to 32766 is accepted, anything else leaves the ring as it is and
    // returns false.
    bool SetSize(int16_t v);

    // Stores a value after the newest one. A ring that already holds its full number of values
    // refuses the new one, counts it and returns false: the waiting values are never lost.
    bool SetData(const QString& value);
    // The same for a Latin-1 text given as bytes: the slot's room is reused, so that a steady
    // stream of short lines allocates nothing.
    bool SetLatin1(const char* text, qsizetype size);
    // Takes the oldest value; false with an empty `value` when none waits. The value is copied
    // into `value`'s own room when it has enough.
    bool TakeData(QString& value);
    bool IsEmpty() const { return readPos_ == writePos_; }
    // The ring holds its full number of values: SetData would refuse.
    bool IsFull() const { return (writePos_ + 1 == slotCount_ ? 0 : writePos_ + 1) == readPos_; }
    // Counts a value refused without handing it over (the caller saw IsFull()).
    void CountRefusal() { ++refused_; }

    // Number of values waiting to be taken.
    int Count() const;
    // Number of values refused because the ring was full.
    int64_t RefusedCount() const { return refused_; }

  private:
    std::vector<QString> slots_;
    int16_t readPos_ = 0;
    int16_t writePos_ = 0;
    int16_t slotCount_ = 10;
    int64_t refused_ = 0;
};

}  // namespace korvi

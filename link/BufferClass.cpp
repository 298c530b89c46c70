#include "link/BufferClass.h"

#include <utility>

namespace korvi {

BufferClass::BufferClass() : slots_(11) {}

bool BufferClass::SetSize(int16_t v) {
    if (v < 1 || v > 32766) {
        return false;
    }
    // Re-pack the waiting values from slot 1 on, so the positions stay inside the new modulus.
    std::vector<QString> waiting;
    waiting.reserve(static_cast<size_t>(Count()));
    QString value;
    while (TakeData(value)) {
        waiting.push_back(std::move(value));
    }
    slotCount_ = static_cast<int16_t>(v + 1);
    slots_.assign(static_cast<size_t>(v) + 2, QString());
    readPos_ = 0;
    writePos_ = 0;
    for (auto& w : waiting) {
        SetData(w);
    }
    return true;
}

bool BufferClass::SetData(const QString& value) {
    const auto next = static_cast<int16_t>((writePos_ + 1) % slotCount_);
    if (next == readPos_) {
        ++refused_;
        return false;
    }
    writePos_ = next;
    slots_[static_cast<size_t>(writePos_)] = value;
    return true;
}

bool BufferClass::TakeData(QString& value) {
    if (IsEmpty()) {
        value.clear();
        return false;
    }
    readPos_ = static_cast<int16_t>((readPos_ + 1) % slotCount_);
    // Hand the slot over instead of copying; nothing reads a taken slot again.
    value = std::exchange(slots_[static_cast<size_t>(readPos_)], QString());
    return true;
}

int BufferClass::Count() const {
    return (writePos_ - readPos_ + slotCount_) % slotCount_;
}

}  // namespace korvi

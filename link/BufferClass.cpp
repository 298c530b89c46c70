#include "link/BufferClass.h"

#include <algorithm>
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

bool BufferClass::SetLatin1(const char* text, qsizetype size) {
    const auto next = static_cast<int16_t>(writePos_ + 1 == slotCount_ ? 0 : writePos_ + 1);
    if (next == readPos_) {
        ++refused_;
        return false;
    }
    writePos_ = next;
    QString& slot = slots_[static_cast<size_t>(writePos_)];
    slot.resize(size);
    char16_t* to = reinterpret_cast<char16_t*>(slot.data());
    for (qsizetype i = 0; i < size; ++i) {
        to[i] = static_cast<unsigned char>(text[i]);
    }
    return true;
}

bool BufferClass::TakeData(QString& value) {
    if (IsEmpty()) {
        value.clear();
        return false;
    }
    readPos_ = static_cast<int16_t>(readPos_ + 1 == slotCount_ ? 0 : readPos_ + 1);
    const QString& slot = slots_[static_cast<size_t>(readPos_)];
    // Copied into the caller's room: both keep theirs for the next line.
    value.resize(slot.size());
    std::copy(slot.constData(), slot.constData() + slot.size(), value.data());
    return true;
}

int BufferClass::Count() const {
    return (writePos_ - readPos_ + slotCount_) % slotCount_;
}

}  // namespace korvi

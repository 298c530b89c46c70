#include "publish/OscPacket.h"

#include <bit>
#include <cstring>

namespace korvi {

void OscPacket::BeginBundle() {
    bytes_.clear();
    PutPadded("#bundle");
    PutWord(0);  // time tag 1: "immediately"
    PutWord(1);
    inBundle_ = true;
    messages_ = 0;
}

void OscPacket::BeginSingle(std::string_view address, std::string_view types) {
    bytes_.clear();
    inBundle_ = false;
    messages_ = 0;
    BeginMessage(address, types);
}

void OscPacket::BeginMessage(std::string_view address, std::string_view types) {
    if (inBundle_) {
        sizeAt_ = bytes_.size();
        PutWord(0);
    }
    PutPadded(address);
    // The type tag string: a comma, the tags, a terminating zero, padded.
    const size_t start = bytes_.size();
    bytes_.push_back(',');
    bytes_.insert(bytes_.end(), types.begin(), types.end());
    bytes_.push_back('\0');
    while ((bytes_.size() - start) % 4 != 0) {
        bytes_.push_back('\0');
    }
}

void OscPacket::AddInt(int32_t value) {
    PutWord(static_cast<uint32_t>(value));
}

void OscPacket::AddFloat(float value) {
    PutWord(std::bit_cast<uint32_t>(value));
}

void OscPacket::AddString(std::string_view text) {
    PutPadded(text);
}

void OscPacket::EndMessage() {
    ++messages_;
    if (!inBundle_) {
        return;
    }
    const uint32_t length = static_cast<uint32_t>(bytes_.size() - sizeAt_ - 4);
    const unsigned char be[4] = {
        static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
        static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    std::memcpy(bytes_.data() + sizeAt_, be, 4);
}

void OscPacket::PutPadded(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    // At least one terminating zero, then up to the next multiple of four.
    const size_t zeros = 4 - text.size() % 4;
    bytes_.insert(bytes_.end(), zeros, '\0');
}

void OscPacket::PutWord(uint32_t word) {
    bytes_.push_back(static_cast<char>(word >> 24));
    bytes_.push_back(static_cast<char>(word >> 16));
    bytes_.push_back(static_cast<char>(word >> 8));
    bytes_.push_back(static_cast<char>(word));
}

}  // namespace korvi

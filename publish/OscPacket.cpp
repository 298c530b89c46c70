#include "publish/OscPacket.h"

#include <lo/lo_lowlevel.h>

namespace korvi {

namespace {

lo_bundle AsBundle(void* p) {
    return static_cast<lo_bundle>(p);
}
lo_message AsMessage(void* p) {
    return static_cast<lo_message>(p);
}

}  // namespace

OscPacket::OscPacket() {
    bytes_.reserve(4096);
}

OscPacket::~OscPacket() {
    Reset();
}

void OscPacket::Reset() {
    if (message_ != nullptr) {
        lo_message_free(AsMessage(message_));
        message_ = nullptr;
    }
    if (bundle_ != nullptr) {
        lo_bundle_free_recursive(AsBundle(bundle_));
        bundle_ = nullptr;
    }
    if (single_ != nullptr) {
        lo_message_free(AsMessage(single_));
        single_ = nullptr;
    }
    addresses_.clear();
    bytes_.clear();
    serialised_ = false;
    messages_ = 0;
}

void OscPacket::BeginBundle() {
    Reset();
    bundle_ = lo_bundle_new(LO_TT_IMMEDIATE);
    inBundle_ = true;
}

void OscPacket::BeginSingle(std::string_view address, std::string_view types) {
    Reset();
    inBundle_ = false;
    BeginMessage(address, types);
}

void OscPacket::BeginMessage(std::string_view address, std::string_view /*types*/) {
    // liblo writes each argument's type tag as it is added.
    addresses_.emplace_back(address);
    message_ = lo_message_new();
    serialised_ = false;
}

void OscPacket::AddInt(int32_t value) {
    lo_message_add_int32(AsMessage(message_), value);
}

void OscPacket::AddFloat(float value) {
    lo_message_add_float(AsMessage(message_), value);
}

void OscPacket::AddString(std::string_view text) {
    const std::string copy(text);
    lo_message_add_string(AsMessage(message_), copy.c_str());
}

void OscPacket::EndMessage() {
    if (message_ == nullptr) {
        return;
    }
    ++messages_;
    if (inBundle_ && bundle_ != nullptr) {
        lo_bundle_add_message(AsBundle(bundle_), addresses_.back().c_str(), AsMessage(message_));
    } else {
        single_ = message_;
    }
    message_ = nullptr;
    serialised_ = false;
}

void OscPacket::Serialise() {
    if (serialised_) {
        return;
    }
    serialised_ = true;
    bytes_.clear();
    size_t length = 0;
    if (inBundle_ && bundle_ != nullptr) {
        length = lo_bundle_length(AsBundle(bundle_));
        bytes_.resize(length);
        lo_bundle_serialise(AsBundle(bundle_), bytes_.data(), &length);
    } else if (single_ != nullptr) {
        const char* address = addresses_.back().c_str();
        length = lo_message_length(AsMessage(single_), address);
        bytes_.resize(length);
        lo_message_serialise(AsMessage(single_), address, bytes_.data(), &length);
    }
    bytes_.resize(length);
}

const char* OscPacket::data() {
    Serialise();
    return bytes_.data();
}

size_t OscPacket::size() {
    Serialise();
    return bytes_.size();
}

bool OscPacket::empty() {
    return size() == 0;
}

}  // namespace korvi

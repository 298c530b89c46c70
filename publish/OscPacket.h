// Open Sound Control packets written straight into a buffer kept from one frame to the next: a
// bundle ("#bundle", time tag "immediately") holding messages of 32-bit integers, floats and
// strings, all big-endian and padded to four bytes. Writing allocates nothing once the buffer has
// grown to the largest frame seen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace korvi {

class OscPacket {
  public:
    OscPacket() { bytes_.reserve(4096); }

    // Starts a new packet: a bundle whose messages follow.
    void BeginBundle();
    // Starts a message with its address and its type tags (without the leading comma). Inside a
    // bundle the message's size is filled in by EndMessage.
    void BeginMessage(std::string_view address, std::string_view types);
    void AddInt(int32_t value);
    void AddFloat(float value);
    void AddString(std::string_view text);
    void EndMessage();

    // Starts a lone message, outside any bundle.
    void BeginSingle(std::string_view address, std::string_view types);

    const char* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    // Messages in the current bundle.
    int messageCount() const { return messages_; }

  private:
    void PutPadded(std::string_view text);
    void PutWord(uint32_t word);

    std::vector<char> bytes_;
    size_t sizeAt_ = 0;  // where the current bundle element's size goes
    bool inBundle_ = false;
    int messages_ = 0;
};

}  // namespace korvi

// Open Sound Control packets made with liblo: a bundle (time tag "immediately") of messages, or a
// lone message, built argument by argument and serialised into a buffer kept from one frame to
// the next, which the publisher sends on its own non-blocking socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace korvi {

class OscPacket {
  public:
    OscPacket();
    ~OscPacket();
    OscPacket(const OscPacket&) = delete;
    OscPacket& operator=(const OscPacket&) = delete;

    // Starts a new packet: a bundle whose messages follow.
    void BeginBundle();
    // Starts a message with its address and its type tags (without the leading comma); the
    // arguments added must follow the tags.
    void BeginMessage(std::string_view address, std::string_view types);
    void AddInt(int32_t value);
    void AddFloat(float value);
    void AddString(std::string_view text);
    void EndMessage();

    // Starts a lone message, outside any bundle.
    void BeginSingle(std::string_view address, std::string_view types);

    // The packet's bytes as they go on the wire (serialised on first asking).
    const char* data();
    size_t size();
    bool empty();
    // Messages in the current packet.
    int messageCount() const { return messages_; }

  private:
    void Reset();
    void Serialise();

    void* bundle_ = nullptr;             // lo_bundle, holding its messages
    void* message_ = nullptr;            // lo_message being built
    void* single_ = nullptr;             // lo_message of a lone packet
    std::deque<std::string> addresses_;  // kept while the bundle refers to them
    std::vector<char> bytes_;
    bool serialised_ = false;
    bool inBundle_ = false;
    int messages_ = 0;
};

}  // namespace korvi

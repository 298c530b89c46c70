// Where the presses are published: OSC and TUIO to a host and UDP port each, a WebSocket feed on a
// TCP port; each on or off. The user's choice is remembered per user; the command line's choice
// holds for one run.
#pragma once

#include <QString>
#include <cstdint>

namespace korvi {

struct UdpTarget {
    bool on = false;
    QString host = QStringLiteral("127.0.0.1");
    uint16_t port = 0;
    bool operator==(const UdpTarget&) const = default;
};

struct PublishTargets {
    UdpTarget osc{false, QStringLiteral("127.0.0.1"), 9000};
    UdpTarget tuio{false, QStringLiteral("127.0.0.1"), 3333};
    bool websocket = false;
    uint16_t websocketPort = 8765;
    bool everyInterface = false;  // listen on every interface, not only on 127.0.0.1
    QString allowedOrigin;        // a web page's origin let in besides the shipped viewer
    bool operator==(const PublishTargets&) const = default;

    bool Any() const { return osc.on || tuio.on || websocket; }
};

// "HOST:PORT" ("[::1]:9000" for an IPv6 address) into `target` (switched on); false when the
// text is no host and port from 1 to 65535.
bool ParseHostPort(const QString& text, UdpTarget& target);
QString HostPortText(const UdpTarget& target);

// The user's remembered choice; nothing is published until the user chooses it.
PublishTargets RememberedPublishTargets();
void RememberPublishTargets(const PublishTargets& targets);

}  // namespace korvi

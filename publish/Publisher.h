// Publishes the presses to other programs: OSC and TUIO over UDP, and the WebSocket feed. Every
// reading shown is handed over (Feed: a copy into the frame's buffer); once per frame the frame
// goes out to each output that is on, and the layout whenever it has changed. Sending never
// waits: UDP datagrams that cannot go are dropped and counted, a WebSocket client that falls
// behind loses frames (see WebSocketFeed).
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "publish/OscPacket.h"
#include "publish/PublishFrame.h"
#include "publish/PublishTargets.h"
#include "publish/WebSocketFeed.h"

namespace korvi {

class Publisher : public QObject {
    Q_OBJECT
  public:
    // About one screen frame.
    static constexpr int kFrameMs = 16;
    // Readings per OSC datagram, so that a frame's bundle stays within one UDP datagram.
    static constexpr int kReadingsPerDatagram = 1000;

    Publisher(const SensorLayout& layout, const DrawSetting& drawSetting);
    ~Publisher() override;

    // Switches the outputs to `targets`; an empty text, or what could not be opened (the other
    // outputs run).
    QString Apply(const PublishTargets& targets);
    const PublishTargets& targets() const { return targets_; }
    bool IsPublishing() const { return targets_.Any(); }

    // A reading shown on the display: kept for the frame.
    void Feed(int16_t sensor, int16_t press, int16_t x, int16_t y) {
        if (!targets_.Any()) {
            return;
        }
        if (!gather_.Add(sensor, press, x, y)) {
            SendFrame();
        } else if (!frameTimer_.isActive()) {
            frameTimer_.start();
        }
    }
    // A new session of the display (cleared, started, replayed): every cursor ends.
    void ReleaseAll();

    // "外部出力 OSC 127.0.0.1:9000  TUIO 127.0.0.1:3333  WebSocket 8765 (接続 2)"; empty while
    // nothing is published.
    QString StatusText() const;

    WebSocketFeed& webSocket() { return *webSocket_; }
    int64_t FramesSent() const { return frames_; }
    int64_t DatagramsDropped() const { return datagramsDropped_; }

  signals:
    // The outputs or the WebSocket clients changed (for the status bar).
    void changed();

  private:
    void SendFrame();
    // Sends the layout to every output when it differs from the last one sent.
    void PublishLayoutIfChanged(bool always = false);
    void SendDatagram(const std::optional<QHostAddress>& address, uint16_t port);

    const SensorLayout& layout_;
    const DrawSetting& drawSetting_;
    PublishTargets targets_;
    std::optional<QHostAddress> oscAddress_;
    std::optional<QHostAddress> tuioAddress_;
    QUdpSocket udp_;
    std::unique_ptr<WebSocketFeed> webSocket_;
    QTimer frameTimer_;
    QTimer layoutTimer_;
    FrameGather gather_;
    OscPacket packet_;
    std::string json_;
    PublishedLayout published_;
    bool layoutKnown_ = false;
    std::array<PublishedCursor, SensorCount> cursors_{};
    int64_t frames_ = 0;
    int32_t fseq_ = 0;
    int64_t datagramsDropped_ = 0;
};

}  // namespace korvi

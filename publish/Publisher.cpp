#include "publish/Publisher.h"

#include <QHostInfo>
#include <algorithm>

namespace korvi {

namespace {

// A host's address; the name is looked up only when the user applies a target.
std::optional<QHostAddress> Resolve(const QString& host) {
    QHostAddress address;
    if (address.setAddress(host)) {
        return address;
    }
    const QList<QHostAddress> found = QHostInfo::fromName(host).addresses();
    for (const QHostAddress& a : found) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            return a;
        }
    }
    if (!found.isEmpty()) {
        return found.first();
    }
    return std::nullopt;
}

}  // namespace

Publisher::Publisher(const SensorLayout& layout, const DrawSetting& drawSetting)
    : layout_(layout), drawSetting_(drawSetting), webSocket_(std::make_unique<WebSocketFeed>()) {
    frameTimer_.setSingleShot(true);
    frameTimer_.setInterval(kFrameMs);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { SendFrame(); });
    // A layout edited while no reading comes still reaches the outputs.
    layoutTimer_.setInterval(250);
    connect(&layoutTimer_, &QTimer::timeout, this, [this] { PublishLayoutIfChanged(); });
    connect(webSocket_.get(), &WebSocketFeed::clientsChanged, this, [this] { emit changed(); });
    webSocket_->SetGreeting([this] {
        const int count = PressedCursors(layout_, gather_, published_, cursors_);
        std::string text;
        FrameJson(text, frames_, {}, {cursors_.data(), static_cast<size_t>(count)});
        return text;
    });
    json_.reserve(64 * 1024);
}

Publisher::~Publisher() = default;

QString Publisher::Apply(const PublishTargets& targets) {
    QStringList problems;
    const bool webSocketChanged = targets.websocket != targets_.websocket ||
                                  targets.websocketPort != targets_.websocketPort ||
                                  targets.everyInterface != targets_.everyInterface ||
                                  targets.allowedOrigin != targets_.allowedOrigin;
    targets_ = targets;
    oscAddress_.reset();
    tuioAddress_.reset();
    if (targets_.osc.on) {
        oscAddress_ = Resolve(targets_.osc.host);
        if (!oscAddress_) {
            problems << QStringLiteral("OSC の送り先 %1 が見つかりません。").arg(targets_.osc.host);
            targets_.osc.on = false;
        }
    }
    if (targets_.tuio.on) {
        tuioAddress_ = Resolve(targets_.tuio.host);
        if (!tuioAddress_) {
            problems
                << QStringLiteral("TUIO の送り先 %1 が見つかりません。").arg(targets_.tuio.host);
            targets_.tuio.on = false;
        }
    }
    if (webSocketChanged || (targets_.websocket && !webSocket_->IsListening())) {
        webSocket_->Close();
        if (targets_.websocket) {
            const QString why = webSocket_->Listen(targets_.websocketPort, targets_.everyInterface,
                                                   targets_.allowedOrigin);
            if (!why.isEmpty()) {
                problems << QStringLiteral("WebSocket のポート %1 を開けません: %2")
                                .arg(targets_.websocketPort)
                                .arg(why);
                targets_.websocket = false;
            }
        }
    }
    if (targets_.Any()) {
        layoutTimer_.start();
        PublishLayoutIfChanged(true);
    } else {
        layoutTimer_.stop();
        frameTimer_.stop();
        gather_.ClearReadings();
    }
    emit changed();
    return problems.join(u'\n');
}

void Publisher::ReleaseAll() {
    gather_.ReleaseAll();
}

void Publisher::SendDatagram(const std::optional<QHostAddress>& address, uint16_t port) {
    if (udp_.writeDatagram(packet_.data(), static_cast<qint64>(packet_.size()), *address, port) <
        0) {
        ++datagramsDropped_;
    }
}

void Publisher::PublishLayoutIfChanged(bool always) {
    PublishedLayout now = SnapshotLayout(layout_, drawSetting_);
    if (!always && layoutKnown_ && now == published_) {
        return;
    }
    published_ = std::move(now);
    layoutKnown_ = true;
    if (targets_.osc.on) {
        BuildLayoutMessage(packet_, published_);
        SendDatagram(oscAddress_, targets_.osc.port);
    }
    if (targets_.websocket) {
        webSocket_->SetLayout(LayoutJson(published_));
    }
}

void Publisher::SendFrame() {
    frameTimer_.stop();
    PublishLayoutIfChanged();
    const std::span<const PublishedReading> readings = gather_.readings();
    int cursorCount = 0;
    if (targets_.tuio.on || targets_.websocket) {
        cursorCount = PressedCursors(layout_, gather_, published_, cursors_);
    }
    const std::span<const PublishedCursor> cursors(cursors_.data(),
                                                   static_cast<size_t>(cursorCount));
    if (targets_.osc.on) {
        for (size_t from = 0; from < readings.size(); from += kReadingsPerDatagram) {
            const size_t count =
                std::min(readings.size() - from, static_cast<size_t>(kReadingsPerDatagram));
            BuildReadingsBundle(packet_, readings.subspan(from, count));
            SendDatagram(oscAddress_, targets_.osc.port);
        }
    }
    if (targets_.tuio.on) {
        BuildTuioBundle(packet_, cursors, ++fseq_);
        SendDatagram(tuioAddress_, targets_.tuio.port);
    }
    if (targets_.websocket && webSocket_->ClientCount() > 0) {
        FrameJson(json_, frames_ + 1, readings, cursors);
        webSocket_->SendFrame(json_);
    }
    ++frames_;
    gather_.ClearReadings();
}

QString Publisher::StatusText() const {
    if (!targets_.Any()) {
        return {};
    }
    QStringList parts{QStringLiteral("外部出力")};
    if (targets_.osc.on) {
        parts << QStringLiteral("OSC ") + HostPortText(targets_.osc);
    }
    if (targets_.tuio.on) {
        parts << QStringLiteral("TUIO ") + HostPortText(targets_.tuio);
    }
    if (targets_.websocket) {
        parts << QStringLiteral("WebSocket %1 (接続 %2)")
                     .arg(targets_.websocketPort)
                     .arg(webSocket_->ClientCount());
    }
    return parts.join(QStringLiteral("  "));
}

}  // namespace korvi

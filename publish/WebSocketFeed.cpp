#include "publish/WebSocketFeed.h"

#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <algorithm>

namespace korvi {

WebSocketFeed::WebSocketFeed() : WebSocketFeed(Limits{}) {}

WebSocketFeed::WebSocketFeed(Limits limits)
    : limits_(limits), server_(QStringLiteral("korvisensor"), QWebSocketServer::NonSecureMode) {
    connect(&tcp_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption,
                                    limits_.sendBufferBytes);
            server_.handleConnection(socket);
        }
    });
    connect(&server_, &QWebSocketServer::newConnection, this, [this] { Accept(); });
    connect(&server_, &QWebSocketServer::originAuthenticationRequired, this,
            [this](QWebSocketCorsAuthenticator* check) {
                const QString origin = check->origin();
                const bool allowed = origin.isEmpty() || IsViewerOrigin(origin) ||
                                     (!allowedOrigin_.isEmpty() && origin == allowedOrigin_);
                check->setAllowed(allowed);
                if (!allowed) {
                    ++refused_;
                }
            });
}

WebSocketFeed::~WebSocketFeed() {
    Close();
}

bool WebSocketFeed::IsViewerOrigin(const QString& origin) {
    return origin == QStringLiteral("null") || origin == QStringLiteral("file://");
}

QString WebSocketFeed::Listen(uint16_t port, bool everyInterface, const QString& allowedOrigin) {
    Close();
    allowedOrigin_ = allowedOrigin;
    if (!tcp_.listen(everyInterface ? QHostAddress::Any : QHostAddress::LocalHost, port)) {
        return tcp_.errorString();
    }
    return {};
}

void WebSocketFeed::Close() {
    tcp_.close();
    std::vector<Client> clients;
    clients.swap(clients_);
    for (Client& c : clients) {
        c.socket->disconnect(this);
        c.socket->abort();
        c.socket->deleteLater();
    }
    if (!clients.empty()) {
        emit clientsChanged();
    }
}

void WebSocketFeed::Accept() {
    while (QWebSocket* socket = server_.nextPendingConnection()) {
        // What a client sends is not read into memory beyond a small frame.
        socket->setMaxAllowedIncomingFrameSize(4096);
        socket->setMaxAllowedIncomingMessageSize(4096);
        connect(
            socket, &QWebSocket::disconnected, this, [this, socket] { Forget(socket); },
            Qt::QueuedConnection);
        clients_.push_back({socket, 0});
        if (!layout_.isEmpty()) {
            socket->sendTextMessage(layout_);
        }
        if (greeting_) {
            socket->sendTextMessage(QString::fromStdString(greeting_()));
        }
        emit clientsChanged();
    }
}

void WebSocketFeed::Forget(QWebSocket* socket) {
    const auto it = std::find_if(clients_.begin(), clients_.end(),
                                 [socket](const Client& c) { return c.socket == socket; });
    if (it == clients_.end()) {
        return;
    }
    clients_.erase(it);
    socket->deleteLater();
    emit clientsChanged();
}

void WebSocketFeed::SetLayout(const std::string& json) {
    layout_ = QString::fromStdString(json);
    for (const Client& c : clients_) {
        c.socket->sendTextMessage(layout_);
    }
}

void WebSocketFeed::SendFrame(const std::string& json) {
    if (clients_.empty()) {
        return;
    }
    const QString text = QString::fromStdString(json);
    std::vector<QWebSocket*> toClose;
    for (Client& c : clients_) {
        if (c.socket->bytesToWrite() > limits_.dropBytes) {
            ++dropped_;
            if (++c.droppedInRow >= limits_.closeAfterDrops) {
                toClose.push_back(c.socket);
            }
            continue;
        }
        c.droppedInRow = 0;
        c.socket->sendTextMessage(text);
    }
    for (QWebSocket* socket : toClose) {
        ++closed_;
        // Abort, not close: a closing handshake would wait behind the bytes it never reads.
        socket->abort();
        Forget(socket);
    }
}

}  // namespace korvi

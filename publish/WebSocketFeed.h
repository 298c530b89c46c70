// The WebSocket feed: a server that sends each client the layout on connect and whenever it
// changes, then one JSON text per frame. Output only: what a client sends is ignored. Browser
// pages are let in only from the shipped viewer (a page opened from a file) or the one origin the
// user allows; other programs (no Origin header) are let in. A client that does not keep up never
// holds the program up: while more than `dropBytes` wait to be written to it, its frames are
// dropped and counted, and after `closeAfterDrops` dropped in a row it is closed. The system's
// send buffer of each connection is kept small too, so that a stalled client is noticed within a
// second rather than after megabytes of frames nobody will see.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QWebSocketServer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWebSocket;

namespace korvi {

class WebSocketFeed : public QObject {
    Q_OBJECT
  public:
    struct Limits {
        int64_t dropBytes = 256 * 1024;
        int sendBufferBytes = 64 * 1024;
        int closeAfterDrops = 60;  // about a second of frames
    };

    WebSocketFeed();
    explicit WebSocketFeed(Limits limits);
    ~WebSocketFeed() override;

    // Listens on `port` (on 127.0.0.1, or every interface); an empty text, or why not.
    QString Listen(uint16_t port, bool everyInterface, const QString& allowedOrigin);
    void Close();
    bool IsListening() const { return tcp_.isListening(); }
    uint16_t Port() const { return tcp_.serverPort(); }

    void SetLayout(const std::string& json);
    // What a new client gets right after the layout (the presses of the moment), so that a page
    // shows them before the next reading comes.
    void SetGreeting(std::function<std::string()> greeting) { greeting_ = std::move(greeting); }
    void SendFrame(const std::string& json);

    int ClientCount() const { return static_cast<int>(clients_.size()); }
    int64_t DroppedFrames() const { return dropped_; }
    int64_t ClosedClients() const { return closed_; }
    int64_t RefusedPages() const { return refused_; }

    // Origins a browser page may come from with no choice by the user: a page opened from a file
    // (browsers send "null", some "file://").
    static bool IsViewerOrigin(const QString& origin);

  signals:
    void clientsChanged();

  private:
    struct Client {
        QWebSocket* socket = nullptr;
        int droppedInRow = 0;
    };
    void Accept();
    void Forget(QWebSocket* socket);

    Limits limits_;
    QTcpServer tcp_;  // takes the connections, which the WebSocket server then greets
    QWebSocketServer server_;
    QString allowedOrigin_;
    QString layout_;
    std::function<std::string()> greeting_;
    std::vector<Client> clients_;
    int64_t dropped_ = 0;
    int64_t closed_ = 0;
    int64_t refused_ = 0;
};

}  // namespace korvi

// Publishing the presses end to end: the real program streams a known stream from the simulator
// over a pseudo-terminal, and real receivers take what it publishes: a liblo server for OSC and
// TUIO, WebSocket clients, and the shipped live view in headless Chromium.
#include <gtest/gtest.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>
#include <cstring>
#include <mutex>
#include <sstream>

#include "app/frmPublish.h"
#include "link/CommunicationControl.h"
#include "publish/Publisher.h"
#include "tests/support/Screen.h"
#include "tests/support/SimulatedProgram.h"
#include "tests/support/WindowMouse.h"

namespace korvi {
namespace {

// A liblo server on a free port of its own, keeping each message it decodes as a text: the
// address, the type tags and the arguments ("/tuio/2Dcur sifffff set 5 0.0653595 ...").
class OscReceiver {
  public:
    OscReceiver() : server_(lo_server_thread_new(nullptr, nullptr)) {
        lo_server_thread_add_method(server_, nullptr, nullptr, &OscReceiver::Take, this);
        lo_server_thread_start(server_);
    }
    ~OscReceiver() { lo_server_thread_free(server_); }
    uint16_t port() const { return static_cast<uint16_t>(lo_server_thread_get_port(server_)); }
    std::vector<std::string> messages() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return messages_;
    }

  private:
    static int Take(const char* path, const char* types, lo_arg** argv, int argc, lo_message,
                    void* self) {
        std::ostringstream text;
        text << path << ' ' << types;
        for (int i = 0; i < argc; ++i) {
            // liblo's arguments may lie at any address: copied out, not read in place.
            int32_t n = 0;
            float f = 0;
            if (types[i] == 'i') {
                std::memcpy(&n, argv[i], sizeof n);
                text << ' ' << n;
            } else if (types[i] == 'f') {
                std::memcpy(&f, argv[i], sizeof f);
                text << ' ' << f;
            } else {
                text << ' ' << &argv[i]->s;
            }
        }
        auto* receiver = static_cast<OscReceiver*>(self);
        std::lock_guard<std::mutex> hold(receiver->mutex_);
        receiver->messages_.push_back(text.str());
        return 0;
    }

    lo_server_thread server_;
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};

// Chromium's DevTools: one command over the page's debugging WebSocket, and its result.
QJsonObject DevTools(QWebSocket& page, int id, const char* method, const QJsonObject& params = {}) {
    QJsonObject result;
    const auto got = QObject::connect(&page, &QWebSocket::textMessageReceived, [&](auto text) {
        const QJsonObject answer = QJsonDocument::fromJson(text.toUtf8()).object();
        if (answer[QStringLiteral("id")].toInt() == id) {
            result = answer[QStringLiteral("result")].toObject();
        }
    });
    page.sendTextMessage(QJsonDocument({{"id", id}, {"method", method}, {"params", params}})
                             .toJson(QJsonDocument::Compact));
    (void)QTest::qWaitFor([&] { return !result.isEmpty(); }, 10000);
    QObject::disconnect(got);
    return result;
}

// The shipped live view in headless Chromium, opened from its file as the menu opens it, with
// 620 x 494 pixels of page, photographed once it shows a frame from `port`. Null without
// Chromium.
QImage LiveView(uint16_t port) {
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        return {};
    }
    QTemporaryDir profile;
    QProcess browser;
    browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                             "--user-data-dir=" + profile.path(), "--remote-debugging-port=0",
                             "file://" KORVI_VIEWER_PAGE "?port=" + QString::number(port)});
    // The browser's debugging port, in the file it writes into its profile.
    const QString portFile = profile.filePath(QStringLiteral("DevToolsActivePort"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return test::ReadFile(portFile).contains('\n'); }, 30000));
    const QByteArray devtools = test::ReadFile(portFile).split('\n')[0];
    QNetworkAccessManager http;
    QNetworkReply* list = http.get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/json/list").arg(devtools))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->isFinished(); }, 10000));
    QWebSocket view;
    for (const QJsonValue target : QJsonDocument::fromJson(list->readAll()).array()) {
        if (target[QStringLiteral("type")] == QStringLiteral("page")) {
            view.open(QUrl(target[QStringLiteral("webSocketDebuggerUrl")].toString()));
        }
    }
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return view.state() == QAbstractSocket::ConnectedState; }, 10000));
    int id = 0;
    DevTools(view, ++id, "Emulation.setDeviceMetricsOverride",
             {{"width", 620}, {"height", 494}, {"deviceScaleFactor", 1}, {"mobile", false}});
    QString state;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QJsonObject shown =
                DevTools(view, ++id, "Runtime.evaluate",
                         {{"expression", "document.getElementById('state').textContent"}});
            state = shown[QStringLiteral("result")][QStringLiteral("value")].toString();
            return state.contains(QStringLiteral("フレーム"));
        },
        30000))
        << state.toStdString();
    const QJsonObject shot = DevTools(view, ++id, "Page.captureScreenshot");
    browser.kill();
    browser.waitForFinished(5000);
    const QImage image = QImage::fromData(
        QByteArray::fromBase64(shot[QStringLiteral("data")].toString().toLatin1()), "PNG");
    if (!test::ScreenshotDir().isEmpty()) {
        image.save(QDir(test::ScreenshotDir()).filePath(QStringLiteral("live-view.png")));
    }
    return image.isNull() ? QImage(1, 1, QImage::Format_RGB32) : image;
}

// Sensors 1-4 on four frames of 100 x 100 pixels (1530 twips outside) in an area of 6120 by 4590
// twips from (1500, 1500), rotated 0, 90, 180 and 270 degrees; the plate hidden, so the frames
// make the layout area.
constexpr float kFrameLeft[4] = {1500, 6090, 1500, 6090};
constexpr float kFrameTop[4] = {1500, 1500, 4560, 4560};

// A press on each of the four at raw X 819, Y 1638 (20 % and 40 % of full scale), a release of
// sensor 1 and a second press of it. The first line is the one the ready status discards.
const std::vector<sim::Sample> kStream = {
    {15, 0, 0, 0},       {0, 100, 819, 1638}, {1, 100, 819, 1638}, {2, 100, 819, 1638},
    {3, 100, 819, 1638}, {0, 0, 819, 1638},   {0, 50, 819, 1638}};

class Publishing : public test::SimulatedProgram {
  protected:
    void Start(std::vector<sim::Sample> stream, double rate = 200) {
        sim::SimOptions options;
        options.replay = std::move(stream);
        options.rate = rate;
        StartOnSimulator(options);
        SensorLayout& l = window->layout();
        l.picBaseSens->hide();
        for (int k = 0; k < 4; ++k) {
            l.picSensor[k]->hide();
            l.picPressSens[k]->Move(kFrameLeft[k], kFrameTop[k], 1530, 1530);
            l.picPressSens[k]->show();
            l.SensorRotation[k] = static_cast<int16_t>(90 * k);
        }
    }
    void Stream() { test::Click(window->cmdComm); }
};

// One run publishing everywhere at once: OSC gets every reading and the layout, TUIO the cursors
// where the marks are, and the WebSocket feed (which refuses a web page of another origin) the
// layout, the readings and the marks, which the shipped live view shows.
TEST_F(Publishing, OscTuioAndWebSocketGetEveryReadingAndTheMarks) {
    Start(kStream);
    // 外部出力... refuses an OSC target without its port.
    window->Publish->trigger();
    auto* dialog = window->findChild<frmPublish*>(QStringLiteral("frmPublish"));
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    ASSERT_FALSE(dialog->chkOsc->isChecked());
    test::Click(dialog->chkOsc);
    test::Click(dialog->txtOsc);
    QTest::keyClick(dialog->windowHandle(), Qt::Key_A, Qt::ControlModifier);  // over any text
    QTest::keyClicks(dialog->txtOsc, QStringLiteral("localhost"));
    test::Click(dialog->cmdOK);
    EXPECT_EQ(dialog->lblProblem->text(),
              QStringLiteral("OSC の送り先は ホスト:ポート の形で入力してください。"));
    test::Click(dialog->cmdCancel);

    OscReceiver osc;
    OscReceiver tuio;
    PublishTargets targets;
    targets.osc = {true, QStringLiteral("127.0.0.1"), osc.port()};
    targets.tuio = {true, QStringLiteral("localhost"), tuio.port()};
    targets.websocket = true;
    targets.websocketPort = 0;  // any free port
    window->PublishThisRun(targets);
    const QUrl url(QStringLiteral("ws://127.0.0.1:%1").arg(window->publisher().webSocket().Port()));
    QWebSocket client;
    QStringList texts;
    QObject::connect(&client, &QWebSocket::textMessageReceived,
                     [&](const QString& text) { texts << text; });
    client.open(url);
    QWebSocket page(QStringLiteral("http://example.com"));
    bool pageConnected = false;
    QObject::connect(&page, &QWebSocket::connected, [&] { pageConnected = true; });
    page.open(url);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !texts.isEmpty(); }, 5000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->publisher().webSocket().RefusedPages() == 1; }, 5000));
    EXPECT_FALSE(pageConnected);
    EXPECT_TRUE(window->statusPublish->text().endsWith(QStringLiteral("(接続 1)")));

    Stream();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->comm().ReadingCount() == 6; }, 5000));
    QTest::qWait(200);

    std::vector<std::string> readings;
    std::string layout;
    for (const std::string& m : osc.messages()) {
        (m.starts_with("/korvi/reading") ? readings.emplace_back() : layout) = m;
    }
    EXPECT_EQ(readings,
              (std::vector<std::string>{
                  "/korvi/reading iiii 1 100 819 1638", "/korvi/reading iiii 2 100 819 1638",
                  "/korvi/reading iiii 3 100 819 1638", "/korvi/reading iiii 4 100 819 1638",
                  "/korvi/reading iiii 1 0 819 1638", "/korvi/reading iiii 1 50 819 1638"}));
    // After the plate: number, left, top, width, height and rotation of each frame.
    EXPECT_TRUE(
        layout.ends_with(" 1 1500 1500 1530 1530 0 2 6090 1500 1530 1530 90 3 1500 4560 "
                         "1530 1530 180 4 6090 4560 1530 1530 270"))
        << layout;

    // The last TUIO frame: sessions 1-4 for the first presses, 5 for sensor 1 pressed again. Mark
    // pixels by rotation: 0 (20, 60), 90 (60, 80), 180 (80, 40), 270 (40, 20); window twips
    // (1800, 2400), (6990, 2700), (2700, 5160), (6690, 4860), over the area from (1500, 1500),
    // 6120 wide and 4590 high.
    const std::vector<std::string> last = tuio.messages();
    const auto alive = std::find(last.rbegin(), last.rend(), "/tuio/2Dcur siiii alive 5 2 3 4");
    ASSERT_EQ(alive - last.rbegin(), 5) << last.back();
    EXPECT_EQ(std::vector<std::string>(alive.base(), last.end() - 1),
              (std::vector<std::string>{"/tuio/2Dcur sifffff set 5 0.0490196 0.196078 0 0 0",
                                        "/tuio/2Dcur sifffff set 2 0.897059 0.261438 0 0 0",
                                        "/tuio/2Dcur sifffff set 3 0.196078 0.797386 0 0 0",
                                        "/tuio/2Dcur sifffff set 4 0.848039 0.732026 0 0 0"}));
    EXPECT_TRUE(last.back().starts_with("/tuio/2Dcur si fseq ")) << last.back();

    // The last layout sent: the draw setting's colours come once communication starts.
    QJsonObject sent;
    for (const QString& text : texts) {
        const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
        if (message[QStringLiteral("type")] == QStringLiteral("layout")) {
            sent = message;
        }
    }
    const QJsonObject frame2{
        {"number", 2},
        {"rotation", 90},
        {"rect", QJsonObject{{"left", 6090}, {"top", 1500}, {"width", 1530}, {"height", 1530}}}};
    EXPECT_EQ(sent[QStringLiteral("frames")][1], frame2);
    const QJsonObject band{{"low", 1}, {"high", 255}, {"color", "#ff0000"}, {"radius", 4}};
    EXPECT_EQ(sent[QStringLiteral("colors")][0], band);
    QString fed;
    for (const QString& text : texts) {
        if (!text.startsWith(QStringLiteral("{\"type\":\"frame\""))) {
            continue;  // the layout again: the draw setting was read at the start
        }
        const qsizetype from = text.indexOf(QStringLiteral("\"readings\":[")) + 12;
        const QString part = text.mid(from, text.indexOf(QStringLiteral("],\"marks\"")) - from);
        fed += (fed.isEmpty() || part.isEmpty() ? QString() : QStringLiteral(",")) + part;
    }
    EXPECT_EQ(fed, QStringLiteral("[1,100,819,1638],[2,100,819,1638],[3,100,819,1638],"
                                  "[4,100,819,1638],[1,0,819,1638],[1,50,819,1638]"));
    // The last frame's marks: the pressed sensors' places in window twips.
    EXPECT_TRUE(texts.last().endsWith(
        QStringLiteral("\"marks\":[[1,1800,2400,50],[2,6990,2700,100],[3,2700,5160,100],"
                       "[4,6690,4860,100]]}")));

    const QImage view = LiveView(window->publisher().webSocket().Port());
    if (view.isNull()) {
        GTEST_SKIP() << "chromium is not installed";
    }
    // Below the 24-pixel state line and a 10-pixel margin, 600 x 450 pixels hold the area at
    // 600 / 6120 = 450 / 4590 pixels a twip: frame 1 spans x 10..160, y 34..184; the red dots
    // (radius 4 x 15 twips, 5.9 pixels) of sensor 1 at (1800, 2400) lie at (39.4, 122.2), of
    // sensor 2 at (6990, 2700) at (548.2, 151.6).
    EXPECT_EQ(view.pixelColor(40, 122), QColor(255, 0, 0));
    EXPECT_EQ(view.pixelColor(548, 152), QColor(255, 0, 0));
    EXPECT_EQ(view.pixelColor(100, 100), QColor(255, 255, 255));
    EXPECT_EQ(view.pixelColor(10, 100), QColor(240, 240, 240)) << "frame 1's left edge";
    EXPECT_EQ(view.pixelColor(170, 100), QColor(255, 255, 255)) << "between the frames";
}

TEST_F(Publishing, ClientThatNeverReadsIsClosedWhileTheReadingsGoOn) {
    Start({}, 25000);  // the simulator's own presses, without end
    PublishTargets targets;
    targets.websocket = true;
    targets.websocketPort = 0;
    window->PublishThisRun(targets);
    // A client with a small receive buffer that sends the handshake and then reads nothing.
    const int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{
        AF_INET, htons(window->publisher().webSocket().Port()), {htonl(INADDR_LOOPBACK)}, {}};
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    const std::string_view handshake =
        "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    ASSERT_EQ(::write(stalled, handshake.data(), handshake.size()), std::ssize(handshake));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window->publisher().webSocket().ClientCount() == 1; }, 5000));
    Stream();
    const WebSocketFeed& feed = window->publisher().webSocket();
    EXPECT_TRUE(QTest::qWaitFor([&] { return feed.ClosedClients() == 1; }, 30000));
    EXPECT_EQ(feed.ClientCount(), 0);
    EXPECT_GE(feed.DroppedFrames(), 60);
    const int64_t handled = window->comm().ReadingCount();
    QTest::qWait(300);
    EXPECT_GT(window->comm().ReadingCount(), handled) << "the readings stopped";
    ::close(stalled);
}

}  // namespace
}  // namespace korvi

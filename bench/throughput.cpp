// End-to-end throughput of the viewer. The in-process controller simulator streams readings over a
// real pseudo-terminal into the whole program (serial line, receive event, exchange, press
// display, CSV recording, sound rules), set up in its heaviest mode: 16 sensors placed over a
// visible base plate, dots, a trace of 1000 marks, beeps and a recording of one row per reading.
// Each case prints one line of figures; nothing here ever fails a build.
//
// Every run first measures the limit: a bare reader that drains and decodes the same simulator
// stream with no event loop and no drawing (bare_limit). Each case line then gives its handled
// rate as a share of that limit (limit_ratio) and the CPU time the program's own threads spent
// per reading (cpu_us_per_reading: the simulator's thread and the load threads left out). A case
// that takes the stream as fast as it can measures the limit once more right after itself and is
// compared with the mean of the two: a shared machine's speed drifts over a run.
//
//   throughput [--case NAME[,NAME...]] [--seconds N] [--warmup N] [--load N]
#include <arpa/inet.h>
#include <fcntl.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "app/MainModule.h"
#include "app/frmDemo.h"
#include "app/frmStatistics.h"
#include "bench/BenchMeasures.h"
#include "display/PressDisplay.h"
#include "layout/LayoutFile.h"
#include "link/CommunicationControl.h"
#include "link/LineProtocol.h"
#include "link/frmComData.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/QtSerialLine.h"
#include "platform/SoundOutput.h"
#include "publish/Publisher.h"
#include "recording/CsvRecorder.h"
#include "sim/ReadingGenerator.h"
#include "sim/Simulator.h"

namespace korvi::bench {

namespace {

// A recording keeps its first rows up to and including the one that passes the row limit.
constexpr int64_t kCsvRows = CsvRecorder::kRowLimit + 1;
constexpr int kBytesPerLine = 12;  // "d" + 9 characters + CR LF
constexpr int kBitsPerByte = 10;   // start, 8 data, stop

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double ResidentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    const double pages = fields.size() > 1 ? fields[1].toDouble() : 0;
    return pages * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double ClockSeconds(clockid_t clock) {
    timespec used{};
    if (clock_gettime(clock, &used) != 0) {
        return 0;
    }
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// CPU time of the given threads together (the load's or the receivers', left out of the program's).
double ThreadsCpuSeconds(std::vector<std::thread>& threads) {
    double sum = 0;
    for (std::thread& t : threads) {
        clockid_t clock{};
        if (pthread_getcpuclockid(t.native_handle(), &clock) == 0) {
            sum += ClockSeconds(clock);
        }
    }
    return sum;
}

// Threads that only burn CPU beside the program, as other work on a busy machine does. They
// live in this process, so their CPU time is kept apart from the program's.
class BusyLoad {
  public:
    explicit BusyLoad(int threads) {
        for (int n = 0; n < threads; ++n) {
            threads_.emplace_back([this] {
                uint64_t x = 1;
                while (!stop_.load(std::memory_order_relaxed)) {
                    for (int i = 0; i < 100000; ++i) {
                        x = x * 6364136223846793005u + 1442695040888963407u;
                    }
                }
                sink_.fetch_add(x, std::memory_order_relaxed);
            });
        }
    }
    ~BusyLoad() {
        stop_ = true;
        for (std::thread& t : threads_) {
            t.join();
        }
    }
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;

    double CpuSeconds() { return ThreadsCpuSeconds(threads_); }
    int Count() const { return static_cast<int>(threads_.size()); }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> sink_{0};
    std::vector<std::thread> threads_;
};

// CPU time of the program's own threads: the whole process less the simulator's thread and the
// load threads.
double ProgramCpuSeconds(sim::Simulator& simulator, BusyLoad& load) {
    return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - simulator.threadCpuSeconds() -
           load.CpuSeconds();
}

// Runs the event loop for `ms` milliseconds.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer stop;
    stop.setSingleShot(true);
    stop.setTimerType(Qt::PreciseTimer);
    QObject::connect(&stop, &QTimer::timeout, &loop, &QEventLoop::quit);
    stop.start(ms);
    loop.exec();
}

// Runs the event loop until `done` holds or `timeoutMs` has passed; returns `done()`.
bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const int64_t end = NowNs() + int64_t{timeoutMs} * 1'000'000;
    while (!done() && NowNs() < end) {
        RunFor(10);
    }
    return done();
}

// Sets an environment variable for the lifetime of the object.
class EnvOverride {
  public:
    EnvOverride(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvOverride() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// The seams a benchmark cannot own: no box may wait for a click, no dialog may open, and the
// machine has no sound device.
class LoggingBoxes : public MessageBoxes {
  public:
    void show(const QString& text, const QString& title, BoxIcon) override {
        std::fprintf(
            stderr, "# message box \"%s\": %s\n", qUtf8Printable(title),
            qUtf8Printable(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
        ++shown;
    }
    int shown = 0;
};

class AnsweringDialogs : public FileDialogs {
  public:
    std::optional<QString> saveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogOptions&) override { return answer; }
    std::optional<QString> answer;
};

class CountingSound : public SoundOutput {
  public:
    void tone(int, int) override { ++tones; }
    bool playFile(const QString&) override {
        ++files;
        return true;
    }
    int64_t tones = 0;
    int64_t files = 0;
};

// The real serial line; each chunk the receive event reads is passed to the arrival tracker with
// the time it was read.
class TimedSerialLine : public QtSerialLine {
  public:
    void Watch(const BufferClass* ring, ArrivalTracker* tracker) {
        ring_ = ring;
        tracker_ = tracker;
    }
    QByteArray readAll() override {
        QByteArray bytes = QtSerialLine::readAll();
        if (tracker_ && !bytes.isEmpty()) {
            tracker_->Chunk(bytes, NowNs(), ring_->RefusedCount());
        }
        return bytes;
    }

  private:
    const BufferClass* ring_ = nullptr;
    ArrivalTracker* tracker_ = nullptr;
};

// Watches the panels and the base plate: at each of their repaints, every reading drawn since the
// previous repaint has reached the screen, and its latency is counted from its line's arrival.
class RepaintWatcher : public QObject {
  public:
    RepaintWatcher(const CommunicationControl& comm, const BufferClass& ring,
                   ArrivalTracker& tracker)
        : comm_(comm), ring_(ring), tracker_(tracker) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            Painted(NowNs());
        }
        return QObject::eventFilter(watched, event);
    }

    bool measuring = false;
    LatencyHistogram latencies;
    int64_t unmatched = 0;  // readings whose arrival was not seen (should stay 0)

  private:
    void Painted(int64_t now) {
        tracker_.Settle(ring_.RefusedCount());
        const int64_t drawn = comm_.ReadingCount();
        while (shown_ < drawn) {
            int64_t arrival = 0;
            const int64_t taken = tracker_.TakeRun(arrival, drawn - shown_);
            if (taken == 0) {
                unmatched += drawn - shown_;
                shown_ = drawn;
                break;
            }
            shown_ += taken;
            if (measuring) {
                latencies.Add(static_cast<double>(now - arrival) / 1e6, taken);
            }
        }
    }

    const CommunicationControl& comm_;
    const BufferClass& ring_;
    ArrivalTracker& tracker_;
    int64_t shown_ = 0;
};

// ---- Publishing (外部出力): local receivers of OSC, TUIO and the WebSocket feed -------------
// publish_25k: the heaviest mode publishing OSC and TUIO to liblo servers and the WebSocket feed
// to one client that reads everything; publish_stalled_25k: the same with a client that never
// reads (the program must drop its frames, close it, and not grow). The receivers run in threads
// of their own whose CPU time is kept apart from the program's, like the load threads.
enum class Receivers { None, Reading, Stalled };

class PublishReceivers {
  public:
    PublishReceivers()
        : osc_(lo_server_new_with_proto(nullptr, LO_UDP, nullptr)),
          tuio_(lo_server_new_with_proto(nullptr, LO_UDP, nullptr)) {
        lo_server_add_method(osc_, "/korvi/reading", "iiii", &PublishReceivers::Count,
                             &oscReadings_);
        lo_server_add_method(tuio_, "/tuio/2Dcur", nullptr, &PublishReceivers::Count,
                             &tuioMessages_);
        for (lo_server server : {osc_, tuio_}) {
            // Room for a second of frames, so that a receiver thread the machine's load holds
            // back a moment does not lose datagrams the program sent.
            const int room = 4 * 1024 * 1024;
            if (::setsockopt(lo_server_get_socket_fd(server), SOL_SOCKET, SO_RCVBUFFORCE, &room,
                             sizeof room) != 0) {
                ::setsockopt(lo_server_get_socket_fd(server), SOL_SOCKET, SO_RCVBUF, &room,
                             sizeof room);
            }
            threads_.emplace_back([this, server] {
                while (!stop_.load()) {
                    lo_server_recv_noblock(server, 50);
                }
            });
        }
    }
    ~PublishReceivers() {
        stop_ = true;
        for (std::thread& t : threads_) {
            t.join();
        }
        if (socket_ >= 0) {
            ::close(socket_);
        }
        lo_server_free(osc_);
        lo_server_free(tuio_);
    }
    PublishReceivers(const PublishReceivers&) = delete;
    PublishReceivers& operator=(const PublishReceivers&) = delete;

    uint16_t OscPort() const { return static_cast<uint16_t>(lo_server_get_port(osc_)); }
    uint16_t TuioPort() const { return static_cast<uint16_t>(lo_server_get_port(tuio_)); }

    // Connects a WebSocket client to `port`: one that reads and drops everything, or one that
    // sends the handshake and never reads.
    bool ConnectWebSocket(uint16_t port, bool reads) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        static const char kHandshake[] =
            "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
            ::write(socket_, kHandshake, sizeof kHandshake - 1) !=
                static_cast<ssize_t>(sizeof kHandshake - 1)) {
            return false;
        }
        if (reads) {
            threads_.emplace_back([this] {
                char buffer[65536];
                while (!stop_.load()) {
                    pollfd wait{socket_, POLLIN, 0};
                    if (::poll(&wait, 1, 50) > 0) {
                        const ssize_t got = ::read(socket_, buffer, sizeof buffer);
                        if (got <= 0) {
                            break;
                        }
                        webSocketBytes_ += got;
                    }
                }
            });
        }
        return true;
    }

    double CpuSeconds() { return ThreadsCpuSeconds(threads_); }
    int64_t OscReadings() const { return oscReadings_.load(); }
    int64_t TuioMessages() const { return tuioMessages_.load(); }
    int64_t WebSocketBytes() const { return webSocketBytes_.load(); }

  private:
    static int Count(const char*, const char*, lo_arg**, int, lo_message, void* counter) {
        ++*static_cast<std::atomic<int64_t>*>(counter);
        return 0;
    }

    lo_server osc_;
    lo_server tuio_;
    int socket_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> oscReadings_{0};
    std::atomic<int64_t> tuioMessages_{0};
    std::atomic<int64_t> webSocketBytes_{0};
    std::vector<std::thread> threads_;
};
// ---- end of publishing ------------------------------------------------------------------------

struct BenchCase {
    QString name;
    double rate = 0;  // readings per second; 0 = as fast as the line takes them
    bool monitor = false;
    bool idle = false;
    bool footprints = false;
    // The statistics window open, every sensor ticked in its chart and the centre's path on.
    bool statistics = false;
    Receivers publish = Receivers::None;
};

struct Options {
    QString only;
    double seconds = 60;
    double idleSeconds = 5;
    double warmup = 5;
    int load = 0;
};

// What every case line is compared with: the bare reader's rate in this run.
struct RunFigures {
    double bareRate = 0;
};

// Sensor frames: a 4 x 4 grid over a base plate of 12000 x 10000 twips between the sensor box and
// the base box, clear of the button panel.
constexpr float kPlateLeft = 1500;
constexpr float kPlateTop = 240;
constexpr float kPlateWidth = 12000;
constexpr float kPlateHeight = 10000;

QByteArray HeaviestLayout() {
    LayoutFileData data;
    for (int k = 0; k < 16; ++k) {
        SensorFileRecord& r = data.sensors[k];
        r.Index = static_cast<int16_t>(k);
        r.Left = kPlateLeft + 150 + static_cast<float>(k % 4) * 3000;
        r.Top = kPlateTop + 150 + static_cast<float>(k / 4) * 2500;
        r.Width = 2700;
        r.Height = 2200;
        r.BackColor = 0xFFFFFF;
        r.Visible = -1;
        r.Rotation = 0;
    }
    data.base = BaseFileRecord{0, kPlateTop, kPlateLeft, kPlateWidth, kPlateHeight};
    return EncodeLayoutFile(data);
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

// Setting.ini pointing at the simulator, a draw setting for the heaviest display (four pressure
// bands, a 1000-mark trace, no sound files, one row per reading for as long as allowed), a base
// picture and the layout file.
void WriteAppFolder(const QString& folder, const QString& device) {
    QDir dir(folder);
    dir.mkpath(QStringLiteral("Bmp"));
    dir.mkpath(QStringLiteral("Base"));
    Write(dir.filePath(QStringLiteral("Setting.ini")),
          "[Com_Setting]\r\nPortNo=1\r\nSpeed=115200\r\nParity=N\r\nDataLen=8\r\nStopBit=1\r\n"
          "Device=" +
              device.toLocal8Bit() +
              "\r\n[Disp_Setting]\r\nBaseColor=&HE0E0E0\r\nBmpDir=Bmp\r\nBaseDir=Base\r\n"
              "MergeMode=1\r\n");
    Write(dir.filePath(QStringLiteral("DrawSetting1.ini")),
          "[Disp_Setting]\r\nPressColor0=0,3F,&HFF0000,3\r\nPressColor1=40,7F,&H00FF00,5\r\n"
          "PressColor2=80,BF,&H00FFFF,7\r\nPressColor3=C0,FF,&H0000FF,9\r\nPressThresh=10\r\n"
          "TraceSize=1000\r\n[ExcelOut]\r\nSampling=0\r\nAllTime=32767\r\n");
    QImage base(320, 240, QImage::Format_RGB32);
    QPainter painter(&base);
    for (int y = 0; y < base.height(); ++y) {
        painter.setPen(QColor(120 + y / 4, 160, 200 - y / 4));
        painter.drawLine(0, y, base.width() - 1, y);
    }
    painter.end();
    base.save(dir.filePath(QStringLiteral("Base/Base_0.bmp")), "BMP");
    // Footprints: a dark sole on white (white is see-through), growing with the pressure.
    for (int i = 0; i < 16; ++i) {
        QImage foot(32, 32, QImage::Format_RGB32);
        foot.fill(Qt::white);
        QPainter sole(&foot);
        sole.setPen(Qt::NoPen);
        sole.setBrush(QColor(16 * i, 40, 255 - 16 * i));
        sole.drawEllipse(QPointF(16, 16), 4 + i * 0.75, 8 + i * 0.5);
        sole.end();
        foot.save(dir.filePath(QStringLiteral("Bmp/Foot_%1.bmp").arg(i)), "BMP");
    }
    Write(dir.filePath(QStringLiteral("layout.dat")), HeaviestLayout());
}

// The readings that belong in the recording: the first kCsvRows the simulator sent after the
// discarded ones, up to `sentLimit`. The simulator's readings are repeatable for a seed, so they
// are generated again here rather than kept by the simulator for the whole run (which would grow
// the process being measured). `valid` says whether the readings the simulator still holds, its
// newest, agree with the generated ones at the same places.
std::vector<Row> ExpectedRows(const sim::Simulator& simulator, const sim::SimOptions& options,
                              int skip, int64_t sentLimit, bool& valid) {
    const std::vector<sim::SentReading> newest = simulator.sentReadings();
    const int64_t sent = simulator.sentReadingCount();
    const int64_t firstKept = sent - static_cast<int64_t>(newest.size());
    const int64_t end = std::min<int64_t>(sentLimit, int64_t{skip} + kCsvRows);
    sim::ReadingGenerator generator(options.pattern, options.sensors, options.seed);
    std::vector<Row> rows;
    valid = firstKept >= 0;
    for (int64_t n = 0; n < sent && valid; ++n) {
        const sim::Sample s = generator.Next();
        if (n >= skip && n < end) {
            rows.push_back({s.sensor, s.press, s.x, s.y});
        }
        if (n >= firstKept) {
            const sim::SentReading& r = newest[static_cast<size_t>(n - firstKept)];
            valid = r.sensor == s.sensor && r.press == s.press && r.x == s.x && r.y == s.y;
        }
    }
    return rows;
}

void Fail(const BenchCase& bench, const QString& why) {
    std::printf("# %s: %s\n", qUtf8Printable(bench.name), qUtf8Printable(why));
    std::printf("case=%s failed\n", qUtf8Printable(bench.name));
    std::fflush(stdout);
}

double BareLimit(const Options& options, BusyLoad& load);

void RunCase(const BenchCase& bench, const Options& options, BusyLoad& load,
             const RunFigures& figures) {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        Fail(bench, QStringLiteral("no temporary folder"));
        return;
    }
    QDir(folder.path()).mkpath(QStringLiteral("tmp"));
    // The program's settings and its single-copy lock live in this folder only.
    const EnvOverride home("KORVISENSOR_HOME", folder.path());
    const EnvOverride tmp("TMPDIR", QDir(folder.path()).filePath(QStringLiteral("tmp")));

    sim::SimOptions simOptions;
    simOptions.rate = bench.rate;
    simOptions.seed = 1;
    // Only the newest are kept, to check the regenerated readings against (see ExpectedRows).
    simOptions.keepReadings = 2000;
    if (bench.idle) {
        simOptions.count = 1;  // one line, which the program discards after the status
    }
    sim::Simulator sim;
    const QString device = sim.start(simOptions);
    if (device.isEmpty()) {
        Fail(bench, QStringLiteral("simulator: ") + sim.error());
        return;
    }
    WriteAppFolder(folder.path(), device);

    LoggingBoxes boxes;
    AnsweringDialogs dialogs;
    CountingSound sound;
    SteadyClock clock;
    TimedSerialLine serial;
    ArrivalTracker tracker;
    MainModule program(boxes, dialogs, sound, clock, serial);
    if (!program.Main()) {
        Fail(bench, QStringLiteral("the program did not start"));
        return;
    }
    frmDemo& window = *program.window();
    ProgramContext& context = program.context();
    serial.Watch(&context.RxBuffer, &tracker);

    // The layout as the editor loads it from a file: 16 frames over the plate.
    dialogs.answer = QDir(folder.path()).filePath(QStringLiteral("layout.dat"));
    window.cmdLoad->click();
    SensorLayout& layout = window.layout();
    bool placed = layout.picBaseSens->Visible();
    for (PictureBox* frame : layout.picPressSens) {
        placed = placed && frame->Visible();
    }
    if (!placed) {
        Fail(bench, QStringLiteral("the layout did not place the plate and the 16 sensors"));
        return;
    }
    window.chkTrace->click();
    if (bench.footprints) {
        window.cmdDispBmp->click();
        if (!window.display().BmpMode()) {
            Fail(bench, QStringLiteral("the display did not switch to footprints"));
            return;
        }
    }
    if (!window.chkSound->isChecked()) {
        window.chkSound->click();
    }
    window.btnSaveCsv->click();
    if (window.csv().CsvMode() != 2) {
        Fail(bench, QStringLiteral("the recording did not start in every-reading mode"));
        return;
    }
    if (bench.monitor) {
        window.cmdComData->click();
    }
    if (bench.statistics) {
        window.Statistics->trigger();
        frmStatistics* stats = window.statisticsWindow();
        for (int row = 0; row < stats->tblStatistics->rowCount(); ++row) {
            stats->tblStatistics->item(row, 0)->setCheckState(Qt::Checked);
        }
        stats->chkCentrePath->click();
    }

    RepaintWatcher watcher(window.comm(), context.RxBuffer, tracker);
    for (PictureBox* frame : layout.picPressSens) {
        frame->installEventFilter(&watcher);
    }
    layout.picBaseSens->installEventFilter(&watcher);
    RunFor(300);  // the window shows and paints once before the run

    // Publishing: OSC and TUIO to the local liblo servers, the WebSocket feed to one client.
    std::unique_ptr<PublishReceivers> receivers;
    if (bench.publish != Receivers::None) {
        receivers = std::make_unique<PublishReceivers>();
        PublishTargets targets;
        targets.osc = {true, QStringLiteral("127.0.0.1"), receivers->OscPort()};
        targets.tuio = {true, QStringLiteral("127.0.0.1"), receivers->TuioPort()};
        targets.websocket = true;
        targets.websocketPort = 0;  // any free port
        window.PublishThisRun(targets);
        const WebSocketFeed& feed = window.publisher().webSocket();
        if (!receivers->ConnectWebSocket(feed.Port(), bench.publish == Receivers::Reading) ||
            !RunUntil([&] { return feed.ClientCount() == 1; }, 3000)) {
            Fail(bench, QStringLiteral("the WebSocket client did not connect"));
            return;
        }
    }
    const auto receiverCpu = [&receivers] { return receivers ? receivers->CpuSeconds() : 0.0; };

    window.cmdComm->click();
    CommunicationControl& comm = window.comm();
    if (!RunUntil([&] { return comm.state() == CommunicationControl::State::Streaming; }, 5000)) {
        Fail(bench, QStringLiteral("the exchange did not reach streaming"));
        return;
    }

    RunFor(static_cast<int>((bench.idle ? 1.0 : options.warmup) * 1000));
    const double seconds = bench.idle ? options.idleSeconds : options.seconds;
    const double rss0 = ResidentMb();
    const double cpu0 = ProgramCpuSeconds(sim, load) - receiverCpu();
    const int64_t readings0 = comm.ReadingCount();
    const int64_t t0 = NowNs();
    watcher.measuring = true;

    RunFor(static_cast<int>(seconds * 1000));

    const int64_t t1 = NowNs();
    const int64_t readings1 = comm.ReadingCount();
    const double cpu1 = ProgramCpuSeconds(sim, load) - receiverCpu();
    const double rss1 = ResidentMb();
    watcher.measuring = false;
    const bool stillStreaming = comm.state() == CommunicationControl::State::Streaming;
    const int64_t refused = context.RxBuffer.RefusedCount();

    const int64_t sentAtStop = sim.sentReadingCount();
    window.cmdComm->click();
    RunUntil([&] { return comm.state() == CommunicationControl::State::Idle; }, 3000);
    bool expectedValid = false;
    const std::vector<Row> expected =
        ExpectedRows(sim, simOptions, tracker.Skipped(), sentAtStop, expectedValid);
    QFile csv(window.csv().FilePath());
    const std::vector<Row> recorded =
        csv.open(QIODevice::ReadOnly) ? ParseCsvRows(csv.readAll()) : std::vector<Row>{};
    const int64_t missing = expectedValid ? CountMissing(expected, recorded) : -1;

    const double elapsed = static_cast<double>(t1 - t0) / 1e9;
    const double rate = bench.idle ? 0 : static_cast<double>(readings1 - readings0) / elapsed;
    std::printf(
        "# %s: window %.1f s, readings handled %lld (all %lld), sent %lld, csv rows %zu of %zu "
        "expected%s, tones %lld, latency samples %lld, unmatched %lld, message boxes %d%s\n",
        qUtf8Printable(bench.name), elapsed, static_cast<long long>(readings1 - readings0),
        static_cast<long long>(readings1), static_cast<long long>(sentAtStop), recorded.size(),
        expected.size(), expectedValid ? "" : " (NOT what the simulator sent: not counted)",
        static_cast<long long>(sound.tones), static_cast<long long>(watcher.latencies.Count()),
        static_cast<long long>(watcher.unmatched), boxes.shown,
        stillStreaming ? "" : ", NOT streaming at the end");
    const int64_t handled = readings1 - readings0;
    double limit = figures.bareRate;
    if (bench.rate == 0 && !bench.idle && limit > 0) {
        const double after = BareLimit(options, load);
        limit = after > 0 ? (limit + after) / 2 : limit;
        std::printf("# %s: compared with the mean bare limit before and after it, %.0f/s\n",
                    qUtf8Printable(bench.name), limit);
    }
    std::printf(
        "case=%s readings_per_s=%.0f limit_ratio=%.3f refused=%lld missing_csv=%lld "
        "p99_latency_ms=%.2f cpu_us_per_reading=%.2f rss_growth_mb=%.1f load=%d",
        qUtf8Printable(bench.name), rate, limit > 0 ? rate / limit : 0.0,
        static_cast<long long>(refused), static_cast<long long>(missing),
        bench.idle ? 0.0 : watcher.latencies.Percentile(0.99),
        handled > 0 ? (cpu1 - cpu0) * 1e6 / static_cast<double>(handled) : 0.0, rss1 - rss0,
        load.Count());
    if (bench.idle) {
        std::printf(" cpu_pct=%.1f", 100.0 * (cpu1 - cpu0) / elapsed);
    }
    if (receivers) {
        RunFor(200);  // the last frame reaches the receivers
        const Publisher& publisher = window.publisher();
        std::printf(
            " osc_missing=%lld tuio_messages=%lld ws_mb=%.1f ws_dropped_frames=%lld "
            "ws_closed=%lld udp_dropped=%lld",
            static_cast<long long>(comm.ReadingCount() - receivers->OscReadings()),
            static_cast<long long>(receivers->TuioMessages()),
            static_cast<double>(receivers->WebSocketBytes()) / (1024.0 * 1024.0),
            static_cast<long long>(window.publisher().webSocket().DroppedFrames()),
            static_cast<long long>(window.publisher().webSocket().ClosedClients()),
            static_cast<long long>(publisher.DatagramsDropped()));
    }
    std::printf("\n");
    std::fflush(stdout);
    sim.stop();
}

// The limit of this machine for this stream: the simulator sending as fast as the line takes it,
// read by a plain blocking reader that cuts lines and decodes them with the program's decoder,
// with no event loop, no drawing and no recording.
double BareLimit(const Options& options, BusyLoad& load) {
    const QString name = QStringLiteral("bare_limit");
    sim::SimOptions simOptions;
    simOptions.rate = 0;
    simOptions.seed = 1;
    simOptions.keepReadings = 1;
    sim::Simulator sim;
    const QString device = sim.start(simOptions);
    const int fd =
        device.isEmpty() ? -1 : ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::printf("# bare_limit: cannot open the simulator's line\ncase=bare_limit failed\n");
        std::fflush(stdout);
        return 0;
    }
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 1;  // a read returns after 100 ms without data
    tcsetattr(fd, TCSANOW, &raw);

    std::vector<char> buffer(64 * 1024);
    QByteArray pending;
    int64_t readings = 0;
    int64_t checksum = 0;
    bool ready = false;
    auto drain = [&](int64_t untilNs) {
        while (NowNs() < untilNs) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0) {
                return;
            }
            if (n == 0) {
                continue;  // nothing within the read's time-out
            }
            pending.append(buffer.data(), n);
            qsizetype start = 0;
            for (;;) {
                const qsizetype end = pending.indexOf("\r\n", start);
                if (end < 0) {
                    break;
                }
                const QString line = QString::fromLatin1(pending.constData() + start, end - start);
                if (line.startsWith(QLatin1Char('d'))) {
                    const Reading r = DecodeDataLine(line);
                    checksum += r.RxSensor + r.RxPress + r.RxX + r.RxY;
                    ++readings;
                } else if (IsReadyStatus(line)) {
                    ready = true;
                }
                start = end + 2;
            }
            pending.remove(0, start);
            if (!ready) {
                return;
            }
        }
    };
    const char request[] = "r\r";
    const char data[] = "d\r";
    const char halt[] = "s\r";
    bool ok = ::write(fd, request, 2) == 2;
    const int64_t answerBy = NowNs() + 5'000'000'000;
    while (ok && !ready && NowNs() < answerBy) {
        drain(answerBy);
    }
    ok = ok && ready && ::write(fd, data, 2) == 2;
    double rate = 0;
    double cpuPerReading = 0;
    if (ok) {
        drain(NowNs() + 1'000'000'000);  // warm-up
        const double seconds = std::min(options.seconds, 10.0);
        const int64_t readings0 = readings;
        const double cpu0 = ProgramCpuSeconds(sim, load);
        const int64_t t0 = NowNs();
        drain(t0 + static_cast<int64_t>(seconds * 1e9));
        const int64_t t1 = NowNs();
        const double cpu1 = ProgramCpuSeconds(sim, load);
        const int64_t handled = readings - readings0;
        rate = static_cast<double>(handled) / (static_cast<double>(t1 - t0) / 1e9);
        cpuPerReading = handled > 0 ? (cpu1 - cpu0) * 1e6 / static_cast<double>(handled) : 0;
        (void)!::write(fd, halt, 2);
    }
    ::close(fd);
    sim.stop();
    if (!ok || rate <= 0) {
        std::printf("# %s: the simulator did not stream\ncase=%s failed\n", qUtf8Printable(name),
                    qUtf8Printable(name));
        std::fflush(stdout);
        return 0;
    }
    std::printf("# %s: %lld readings decoded (checksum %lld)\n", qUtf8Printable(name),
                static_cast<long long>(readings), static_cast<long long>(checksum));
    std::printf(
        "case=%s readings_per_s=%.0f limit_ratio=1.000 refused=0 missing_csv=0 "
        "p99_latency_ms=0.00 cpu_us_per_reading=%.2f rss_growth_mb=0.0 load=%d\n",
        qUtf8Printable(name), rate, cpuPerReading, load.Count());
    std::fflush(stdout);
    return rate;
}

void PrintLineRates() {
    std::printf("# line rates at %d bytes per reading and %d bits per byte:", kBytesPerLine,
                kBitsPerByte);
    for (const int baud : {19200, 115200, 921600, 3000000}) {
        std::printf(" %d baud = %d readings/s;", baud, baud / (kBytesPerLine * kBitsPerByte));
    }
    std::printf("\n");
    std::fflush(stdout);
}

bool ParseOptions(const QStringList& args, Options& options) {
    bool secondsGiven = false;
    for (qsizetype n = 1; n < args.size(); ++n) {
        const QString& arg = args[n];
        const bool hasValue = n + 1 < args.size();
        bool ok = true;
        if (arg == QStringLiteral("--case") && hasValue) {
            options.only = args[++n];
        } else if (arg == QStringLiteral("--seconds") && hasValue) {
            options.seconds = args[++n].toDouble(&ok);
            secondsGiven = true;
        } else if (arg == QStringLiteral("--warmup") && hasValue) {
            options.warmup = args[++n].toDouble(&ok);
        } else if (arg == QStringLiteral("--load") && hasValue) {
            options.load = args[++n].toInt(&ok);
            ok = ok && options.load >= 0 && options.load <= 64;
        } else {
            ok = false;
        }
        if (!ok || options.seconds <= 0 || options.warmup < 0) {
            std::fprintf(
                stderr,
                "usage: throughput [--case NAME[,NAME...]] [--seconds N] [--warmup N] [--load N]\n"
                "cases: bare_limit heaviest_max heaviest_25k heaviest_monitor_25k "
                "footprint_25k stats_25k idle publish_25k "
                "publish_stalled_25k\n");
            return false;
        }
    }
    if (secondsGiven) {
        options.idleSeconds = options.seconds;
    }
    return true;
}

}  // namespace

}  // namespace korvi::bench

int main(int argc, char** argv) {
    using namespace korvi::bench;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Options options;
    if (!ParseOptions(QCoreApplication::arguments(), options)) {
        return 2;
    }
    const BenchCase cases[] = {
        {QStringLiteral("heaviest_max"), 0, false, false, false},
        {QStringLiteral("heaviest_25k"), 25000, false, false, false},
        {QStringLiteral("heaviest_monitor_25k"), 25000, true, false, false},
        {QStringLiteral("footprint_25k"), 25000, false, false, true},
        {QStringLiteral("stats_25k"), 25000, false, false, false, true},
        {QStringLiteral("idle"), 100, false, true, false},
        {QStringLiteral("publish_25k"), 25000, false, false, false, false, Receivers::Reading},
        {QStringLiteral("publish_stalled_25k"), 25000, false, false, false, false,
         Receivers::Stalled},
    };
    // --case takes one name or several separated by commas, run in one process for ratios.
    const QStringList only = options.only.split(QLatin1Char(','), Qt::SkipEmptyParts);
    bool known = true;
    for (const QString& name : only) {
        bool found = name == QStringLiteral("bare_limit");
        for (const BenchCase& bench : cases) {
            found = found || bench.name == name;
        }
        known = known && found;
    }
    if (!known) {
        std::fprintf(stderr, "unknown case %s\n", qUtf8Printable(options.only));
        return 2;
    }
    PrintLineRates();
    BusyLoad load(options.load);
    RunFigures figures;
    // The limit is measured in every run: each case is compared with it.
    figures.bareRate = BareLimit(options, load);
    for (const BenchCase& bench : cases) {
        if (only.isEmpty() || only.contains(bench.name)) {
            RunCase(bench, options, load, figures);
        }
    }
    return 0;
}

// Starting and stopping the exchange with the controller (the cmdComm button): the draw-setting
// check, opening the port, the handshake, the data stream and the stop with its drain.
//
// The exchange is event driven on the user-interface thread: the serial notification feeds the line
// splitter, and a state machine (idle, handshaking, streaming, draining) takes the queued lines
// for a bounded time slice (kSliceMs) per pass of the event loop, in arrival order. Clicks, timers
// and further serial events run between two slices, so a stop click takes effect within a few
// milliseconds; a pass of the event loop costs more than handling a reading, so one line per
// pass would lose readings at the rates the controller sends. While the exchange runs, lines
// that find RxBuffer full wait on the serial line instead of being refused. Nothing here blocks
// or spins: with no data arriving, no pass runs at all.
//
// With reconnecting on, a line lost while streaming moves the machine to Reconnecting instead of
// stopping: the lines already received are handled, a timer that runs only in that state looks
// for the device every kLookMs, and once it is back the port is opened with the same settings
// and the handshake of a fresh start follows. The display and a recording go on as they were.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "link/BufferClass.h"
#include "link/LineProtocol.h"
#include "link/TimerClass.h"
#include "platform/SerialLine.h"

namespace korvi {

class MessageBoxes;
class Clock;
class ComDataMonitor;
class ReceiveEvent;

class CommunicationControl : public QObject {
    Q_OBJECT
  public:
    enum class State { Idle, Handshaking, Streaming, Draining, Reconnecting };

    // What the exchange drives in the rest of the program; the window fills these in.
    struct Hooks {
        // Loads and checks the chosen draw-setting file, sizes the trace and checks the sound
        // files; false (with the reason shown to the user) abandons the start before the port
        // is opened.
        std::function<bool()> prepareStart;
        // The serial settings to open the port with.
        std::function<SerialConfig()> serialConfig;
        // The button's caption and face: "通信停止" on yellow while communicating, else
        // "通信開始" on the button face.
        std::function<void(bool communicating)> showCommunicating;
        // The port is open: the display is cleared and the draw-setting list disabled.
        std::function<void()> started;
        // The draw-setting list is enabled again (after a stop or a failed handshake).
        std::function<void()> enableList;
        // The handshake succeeded and data was requested: the sound evaluation starts.
        std::function<void()> streamingStarted;
        // One decoded data line, in arrival order.
        std::function<void(const Reading&)> reading;
        // The rest of a stop by the user or by a lost line: the sound evaluation ends and a
        // CSV recording is closed.
        std::function<void()> stopped;
        // While reconnecting: the device to open again for the one that was lost (the same
        // path, or the same adapter under another name), or an empty text while it is away.
        // Without it the lost device is opened again once its path exists.
        std::function<QString(const QString& lostDevice)> findDevice;
    };

    // The receive event reads the line and splits it into RxBuffer; sent commands are echoed to
    // the monitor window when it is open.
    CommunicationControl(SerialLine& line, ReceiveEvent& onComm, BufferClass& rxBuffer,
                         ReceiveState& receive, ComDataMonitor& monitor, const Clock& clock,
                         MessageBoxes& boxes, Hooks hooks, QObject* parent = nullptr);
    ~CommunicationControl() override;

    // The cmdComm click: starts when idle, stops otherwise.
    void cmdComm_Click();
    // Sends the stop command (when communicating), lets waiting input drain for at most 500 ms
    // and closes the port. Also used by the main window's unload.
    void StopCommunication();

    bool IsCommunicating() const { return isCommunicating_; }
    State state() const { return state_; }
    // Longest run of queued lines handled in one pass of the event loop.
    static constexpr int kSliceMs = 2;

    // Readings handed on since the program started (for the status bar's rate).
    int64_t ReadingCount() const { return readings_; }
    int16_t SkipCount() const { return skipCount_; }
    int16_t RetryCount() const { return retryCount_; }
    // Why the last start could not open the port; empty once a start has opened it.
    QString OpenFailure() const { return openFailure_; }

    // A lost line waits for the device to come back instead of stopping (off: the message and
    // the stop).
    void SetReconnect(bool on) { reconnect_ = on; }
    bool Reconnect() const { return reconnect_; }
    // How often the device is looked for while reconnecting.
    static constexpr int kLookMs = 500;
    // "再接続待ち <device> (n 秒)" while waiting for the device, else empty.
    QString ReconnectStatus() const;

    // Writes a command and its CR, echoes it to the monitor and clears RxDataReady.
    void SendCommand(const QString& command);

  private:
    void Start();
    void Stop();
    void ScheduleStep();
    void Step();
    void HandshakeStep();
    void StreamStep();
    void HandshakeTimedOut();
    void FinishStop();
    void LineLost(const QString& reason);
    void WaitForDevice();
    void LookForDevice();
    void BeginHandshake();
    void Received();

    SerialLine& line_;
    ReceiveEvent& onComm_;
    BufferClass& rxBuffer_;
    ReceiveState& receive_;
    ComDataMonitor& monitor_;
    const Clock& clock_;
    MessageBoxes& boxes_;
    Hooks hooks_;

    State state_ = State::Idle;
    bool isCommunicating_ = false;
    int16_t retryCount_ = 0;
    int16_t skipCount_ = 0;
    int64_t readings_ = 0;
    QString openFailure_;
    bool inSlice_ = false;  // a slice is running: lines read within it are taken by it
    QString lineText_;      // the line being handled, its room kept from line to line
    std::unique_ptr<TimerClass> stopwatch_;
    QTimer step_;          // one pass of the exchange per event-loop pass while lines wait
    QTimer replyTimeout_;  // wakes the handshake when no reply came
    QTimer drainPoll_;     // re-checks the drain while waiting input remains
    QTimer look_;          // looks for a lost device; runs only while reconnecting

    bool reconnect_ = false;
    bool resuming_ = false;  // the handshake follows a reconnect, not a start
    SerialConfig config_;    // the settings of the running exchange
    QString lostDevice_;
    uint32_t lostAt_ = 0;  // clock ticks when the line was lost
};

}  // namespace korvi

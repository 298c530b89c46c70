// Starting and stopping the exchange with the controller (the cmdComm button): the draw-setting
// check, opening the port, the handshake, the data stream and the stop with its drain.
//
// The exchange is event driven on the user-interface thread: the serial notification feeds the line
// splitter, and a state machine (idle, handshaking, streaming, draining) takes at most one queued
// line per pass of the event loop, so clicks, timers and further serial events run between two
// lines and a stop click takes effect before the next line. Nothing here blocks or spins: with no
// data arriving, no pass runs at all.
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
    enum class State { Idle, Handshaking, Streaming, Draining };

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
    // Readings handed on since the program started (for the status bar's rate).
    int64_t ReadingCount() const { return readings_; }
    int16_t SkipCount() const { return skipCount_; }
    int16_t RetryCount() const { return retryCount_; }
    // Why the last start could not open the port; empty once a start has opened it.
    QString OpenFailure() const { return openFailure_; }

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
    void Received();

    SerialLine& line_;
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
    std::unique_ptr<TimerClass> stopwatch_;
    QTimer step_;          // one pass of the exchange per event-loop pass while lines wait
    QTimer replyTimeout_;  // wakes the handshake when no reply came
    QTimer drainPoll_;     // re-checks the drain while waiting input remains
};

}  // namespace korvi

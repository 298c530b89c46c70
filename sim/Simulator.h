// The simulated sensor controller on a pseudo-terminal, run in its own thread so that tests and
// benchmarks can talk to it in-process and the korvi-sim tool can serve the program.
//
//   Simulator sim;
//   const QString device = sim.start(options);   // empty on failure: sim.error()
//   ... open `device` as the serial port, send "r\r", "d\r", "s\r" ...
//   sim.receivedCommands();                      // what arrived, with times
//   sim.sentReadings();                          // what was sent
//   sim.stop();
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/SimOptions.h"

namespace korvi::sim {

struct ReceivedCommand {
    QByteArray text;  // without its CR
    int64_t ms;       // since start()
};

struct SentReading {
    int sensor;
    int press;
    int x;
    int y;
    QByteArray line;  // as sent, without the line end
    bool malformed;   // the line replaced this reading with a malformed one
    int64_t ms;       // since start(), when its last byte was written
    int run;          // the data start ("d") it followed, counted from 1
};

class Simulator {
  public:
    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the pseudo-terminal and starts answering. Returns the device path, or an empty
    // text (see error()).
    QString start(const SimOptions& options);
    // Stops the thread, closes the terminal and removes the link. Safe to call twice.
    void stop();

    QString error() const { return error_; }
    // The current device (a new one after each time the device was plugged in again).
    QString devicePath() const;
    // The device is there (not unplugged by --unplug-after), and how often it was unplugged.
    bool isPlugged() const { return plugged_.load(); }
    // Unplugs the device now (as --unplug-after does) and plugs a new one in `awayMs` later.
    void unplug(int awayMs);
    int unplugCount() const { return unplugCount_.load(); }
    std::vector<ReceivedCommand> receivedCommands() const;
    std::vector<SentReading> sentReadings() const;
    int64_t sentReadingCount() const { return sentCount_.load(); }
    // Pieces of data written whole so far: one per line, or one per piece of a split line.
    int64_t dataPieceCount() const { return pieceCount_.load(); }
    bool isStreaming() const { return streaming_.load(); }
    // The line was closed after --hangup-after data lines; the thread has ended.
    bool hasHungUp() const { return hungUp_.load(); }
    // CPU time the simulator's thread has used, in seconds (0 when it is not running), so that
    // a benchmark can leave it out of the program's share.
    double threadCpuSeconds();

  private:
    void Run();
    // Makes the pseudo-terminal and the link; returns why it failed, or an empty text.
    QString OpenTerminal();
    // Closes both ends and removes the link while it points at this terminal.
    void CloseTerminal();
    int64_t Ms() const;
    void Log(const QString& text) const;

    SimOptions options_;
    QString error_;
    QString devicePath_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> streaming_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<bool> plugged_{false};
    std::atomic<int> unplugCount_{0};
    std::atomic<int> unplugRequest_{-1};  // an unplug asked for, with the time away in ms
    std::atomic<int64_t> sentCount_{0};
    std::atomic<int64_t> pieceCount_{0};
    int64_t startNs_ = 0;

    mutable std::mutex mutex_;
    std::vector<ReceivedCommand> commands_;
    std::deque<SentReading> readings_;
};

}  // namespace korvi::sim

// How the controller simulator behaves: its answers, the readings it streams and the faults it
// injects. ParseSimOptions reads the korvi-sim command line into these.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvi::sim {

enum class Pattern {
    Lively,   // a mix of taps, strokes and footsteps
    Taps,     // presses at one point, pressure rising and falling
    Strokes,  // a press dragged across a sensor
    Walk,     // a footprint walking across the sensors, heel to toe
    Ramp,     // pressure 0..255 on each sensor in turn, position following the pressure
};

struct Sample {
    int sensor = 0;
    int press = 0;  // 0..255
    int x = 0;      // 0..4095
    int y = 0;      // 0..4095
    bool operator==(const Sample&) const = default;
};

struct SimOptions {
    int skip = 0;         // hex digit of the ready status "r0" + digit
    QByteArray status;    // when set, the status line sent instead (e.g. "r1")
    bool silent = false;  // never answer "r"
    double rate = 100;    // readings per second; 0 = as fast as the line takes them
    std::vector<int> sensors = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    Pattern pattern = Pattern::Lively;
    uint32_t seed = 1;
    int malformedEvery = 0;    // every Nth data line is malformed
    bool splitWrites = false;  // each line cut across several writes
    bool noLineEnds = false;   // data lines without CR LF
    int burst = 0;             // lines sent together in one write
    int64_t hangupAfter = 0;   // close the line after this many data lines
    int64_t count = 0;         // stop streaming after this many data lines
    // The device vanishes this long after it was plugged in (0: never) and comes back as a new
    // pseudo-terminal behind the same link this long after, `unplugCycles` times (0: forever).
    int unplugAfterMs = 0;
    int replugAfterMs = 1000;
    int unplugCycles = 1;
    QString linkPath;              // symbolic link to the device
    std::vector<Sample> replay;    // when set, these readings are sent once, in order
    size_t keepReadings = 100000;  // the newest sent readings kept for sentReadings()
    // Receives a line for each command, answer and state change (from the simulator's thread).
    std::function<void(const QString&)> log;
};

// The korvi-sim command line.
struct SimCommandLine {
    SimOptions options;
    QString logPath;  // empty: standard error
    bool quiet = false;
    bool help = false;
};

// Reads the arguments after the program name (--replay reads its recording at once). False with a
// message on bad input.
bool ParseSimCommandLine(const QStringList& args, SimCommandLine& line, QString& error);
QString SimUsage();

// "0,1,5", "0-15", "0-3,7": sensor numbers 0 to 15, in the order given, without repeats.
bool ParseSensorList(const QString& text, std::vector<int>& sensors);

}  // namespace korvi::sim

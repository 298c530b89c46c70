// The replay's pace against the real clock: plays a recording for a number of seconds at 10 and
// at 1000 rows per second (rows go nowhere, only the pace is measured) and prints the rate
// reached up to the last row shown, its deviation from the rate asked for, and how late the
// latest row came after its due time.
//
//   replay_rate [seconds]      (default 10)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/ReplayControl.h"
#include "platform/Clock.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    korvi::SteadyClock clock;
    for (const int rate : {10, 1000}) {
        int64_t shown = 0;
        double lastShownS = 0;
        double maxLateMs = 0;
        QElapsedTimer wall;
        korvi::ReplayControl::Hooks hooks;
        hooks.row = [&](const korvi::RecordedRow&, bool) {
            ++shown;
            lastShownS = double(wall.nsecsElapsed()) / 1e9;
            maxLateMs = std::max(maxLateMs, 1000.0 * (lastShownS - double(shown) / rate));
        };
        korvi::ReplayControl replay(clock, std::move(hooks));
        replay.Open(std::vector<korvi::RecordedRow>(size_t(rate) * (seconds + 5)), rate);
        wall.start();
        replay.Play();
        QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, [&] { app.quit(); });
        app.exec();
        const double reached = double(shown) / lastShownS;
        printf(
            "rate %5d rows/s: %lld rows, the last at %.3f s = %.3f rows/s (%+.3f %%), "
            "latest row %.1f ms after its due time\n",
            rate, static_cast<long long>(shown), lastShownS, reached,
            100.0 * (reached - rate) / rate, maxLateMs);
    }
    return 0;
}

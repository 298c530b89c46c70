// korvi-sim: the simulated sensor controller on a pseudo-terminal. Prints the device path on the
// first line of standard output, then serves until interrupted (or until it hangs up).
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <mutex>

#include "sim/Simulator.h"

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int) {
    g_quit = true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    korvi::sim::SimCommandLine line;
    QString error;
    if (!korvi::sim::ParseSimCommandLine(app.arguments().mid(1), line, error)) {
        fprintf(stderr, "korvi-sim: %s\n", qPrintable(error));
        return 2;
    }
    if (line.help) {
        fputs(qPrintable(korvi::sim::SimUsage()), stdout);
        return 0;
    }

    FILE* log = nullptr;
    if (!line.quiet) {
        log = stderr;
        if (!line.logPath.isEmpty() && line.logPath != u"-") {
            log = fopen(QFile::encodeName(line.logPath).constData(), "a");
            if (log == nullptr) {
                fprintf(stderr, "korvi-sim: cannot write %s\n", qPrintable(line.logPath));
                return 2;
            }
        }
    }
    std::mutex logMutex;
    if (log != nullptr) {
        line.options.log = [log, &logMutex](const QString& text) {
            std::lock_guard lock(logMutex);
            fprintf(log, "%s\n", text.toLocal8Bit().constData());
            fflush(log);
        };
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    korvi::sim::Simulator sim;
    const QString device = sim.start(line.options);
    if (device.isEmpty()) {
        fprintf(stderr, "korvi-sim: %s\n", qPrintable(sim.error()));
        return 1;
    }
    printf("%s\n", device.toLocal8Bit().constData());
    fflush(stdout);

    while (!g_quit && !sim.hasHungUp()) {
        usleep(50000);
    }
    sim.stop();
    if (log != nullptr && log != stderr) {
        fclose(log);
    }
    return 0;
}

#include "sim/Simulator.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>

#include "sim/ReadingGenerator.h"

namespace korvi::sim {

namespace {

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString Errno(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// One write to the line: a status line, one or more data lines, or a piece of a cut line.
struct Unit {
    QByteArray bytes;
    std::vector<SentReading> readings;  // recorded once the last byte is written
    bool data = false;
    bool started = false;
};

constexpr int64_t kMs = 1'000'000;
// Bytes queued ahead of the line at most: a reader that stops reading pauses the stream instead
// of piling up readings nobody will see.
constexpr qsizetype kQueueLimit = 16 * 1024;
// Pause between the pieces of a cut line, so that they arrive in separate reads.
constexpr int64_t kSplitGapNs = 2 * kMs;
// After the last line before a hang-up, time for the reader to take it.
constexpr int64_t kHangupGraceNs = 300 * kMs;
constexpr int64_t kUnlockEveryNs = 200 * kMs;

}  // namespace

Simulator::Simulator() = default;

Simulator::~Simulator() {
    stop();
}

int64_t Simulator::Ms() const {
    return (NowNs() - startNs_) / kMs;
}

void Simulator::Log(const QString& text) const {
    if (options_.log) {
        const int64_t ms = Ms();
        options_.log(QStringLiteral("%1.%2 %3")
                         .arg(ms / 1000, 6)
                         .arg(ms % 1000, 3, 10, QChar(u'0'))
                         .arg(text));
    }
}

QString Simulator::start(const SimOptions& options) {
    stop();
    options_ = options;
    error_.clear();
    devicePath_.clear();
    {
        std::lock_guard lock(mutex_);
        commands_.clear();
        readings_.clear();
    }
    sentCount_ = 0;
    pieceCount_ = 0;
    hungUp_ = false;
    streaming_ = false;
    stopping_ = false;

    auto fail = [this](const QString& message) {
        error_ = message;
        devicePath_.clear();
        CloseFd(slave_);
        CloseFd(master_);
        CloseFd(wake_[0]);
        CloseFd(wake_[1]);
        return QString();
    };

    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return fail(Errno("pipe"));
    }
    const QString problem = OpenTerminal();
    if (!problem.isEmpty()) {
        return fail(problem);
    }

    startNs_ = NowNs();
    plugged_ = true;
    unplugCount_ = 0;
    thread_ = std::thread(&Simulator::Run, this);
    return devicePath_;
}

QString Simulator::OpenTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        return Errno("posix_openpt");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return Errno("grantpt/unlockpt");
    }
    char name[256] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) {
        return Errno("ptsname");
    }
    // Holding the slave open keeps the terminal (and its raw settings) alive between runs of the
    // program, so closing the port there is no hang-up here and the next open finds it ready.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        return Errno("open slave");
    }
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0) {
        return Errno("tcgetattr");
    }
    cfmakeraw(&tio);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0) {
        return Errno("tcsetattr");
    }
    if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        return Errno("fcntl");
    }
    if (!options_.linkPath.isEmpty()) {
        const QByteArray link = QFile::encodeName(options_.linkPath);
        struct stat st {};
        if (lstat(link.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                return QStringLiteral("%1 exists and is no symbolic link").arg(options_.linkPath);
            }
            ::unlink(link.constData());
        }
        if (::symlink(name, link.constData()) != 0) {
            return Errno("symlink");
        }
    }
    std::lock_guard lock(mutex_);
    devicePath_ = QString::fromLocal8Bit(name);
    return {};
}

void Simulator::CloseTerminal() {
    CloseFd(slave_);
    CloseFd(master_);
    std::lock_guard lock(mutex_);
    if (!options_.linkPath.isEmpty() && !devicePath_.isEmpty() &&
        QFileInfo(options_.linkPath).symLinkTarget() == devicePath_) {
        QFile::remove(options_.linkPath);
    }
}

void Simulator::unplug(int awayMs) {
    unplugRequest_ = std::max(awayMs, 0);
    [[maybe_unused]] const auto n = ::write(wake_[1], "x", 1);
}

QString Simulator::devicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

void Simulator::stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        [[maybe_unused]] const auto n = ::write(wake_[1], "x", 1);
        thread_.join();
    }
    CloseTerminal();
    CloseFd(wake_[0]);
    CloseFd(wake_[1]);
    streaming_ = false;
}

std::vector<ReceivedCommand> Simulator::receivedCommands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<SentReading> Simulator::sentReadings() const {
    std::lock_guard lock(mutex_);
    return {readings_.begin(), readings_.end()};
}

void Simulator::Run() {
    const SimOptions& o = options_;
    ReadingGenerator generator = o.replay.empty() ? ReadingGenerator(o.pattern, o.sensors, o.seed)
                                                  : ReadingGenerator(o.replay);
    std::deque<Unit> out;
    qsizetype queued = 0;
    QByteArray command;
    int64_t generated = 0;
    int64_t nextDueNs = 0;
    int64_t nextWriteNs = 0;
    int64_t hangupAtNs = -1;
    int64_t nextUnlockNs = 0;
    bool countLogged = false;
    int run = 0;  // data starts so far
    // Unplugging: no new lines, what is on its way is read first, then the terminal goes.
    int64_t unplugAtNs = o.unplugAfterMs > 0 ? NowNs() + o.unplugAfterMs * kMs : -1;
    int64_t unplugDeadlineNs = -1;
    int64_t replugAtNs = -1;
    int replugMs = o.replugAfterMs;
    const bool paced = o.rate > 0;
    const int perUnit = o.burst > 0 ? o.burst : (paced ? 1 : 64);
    const int64_t unitNs = paced ? static_cast<int64_t>(1e9 * perUnit / o.rate) : 0;
    // A recording is sent once: its length acts as a count.
    const int64_t count = o.replay.empty() || (o.count > 0 && o.count < int64_t(o.replay.size()))
                              ? o.count
                              : int64_t(o.replay.size());
    const int64_t dataLimit =
        o.hangupAfter > 0 && (count <= 0 || o.hangupAfter < count) ? o.hangupAfter : count;

    auto push = [&](Unit unit) {
        queued += unit.bytes.size();
        out.push_back(std::move(unit));
    };

    auto enqueueData = [&] {
        Unit unit;
        unit.data = true;
        for (int i = 0; i < perUnit && (dataLimit <= 0 || generated < dataLimit); ++i) {
            const Sample s = generator.Next();
            ++generated;
            const bool malformed = o.malformedEvery > 0 && generated % o.malformedEvery == 0;
            const QByteArray line = malformed ? generator.Malformed(s) : DataLine(s);
            const SentReading reading{s.sensor, s.press, s.x, s.y, line, malformed, 0, run};
            const QByteArray wire = o.noLineEnds ? line : line + "\r\n";
            if (o.splitWrites) {
                // Cut into up to three pieces of their own writes.
                const qsizetype a = wire.size() / 3;
                const qsizetype b = 2 * wire.size() / 3;
                const qsizetype cuts[] = {0, a, b, wire.size()};
                for (int p = 0; p < 3; ++p) {
                    if (cuts[p + 1] <= cuts[p]) {
                        continue;
                    }
                    Unit piece;
                    piece.data = true;
                    piece.bytes = wire.mid(cuts[p], cuts[p + 1] - cuts[p]);
                    if (cuts[p + 1] == wire.size()) {
                        piece.readings.push_back(reading);
                    }
                    push(std::move(piece));
                }
            } else {
                unit.bytes += wire;
                unit.readings.push_back(reading);
            }
        }
        if (!unit.bytes.isEmpty()) {
            push(std::move(unit));
        }
    };

    // Lines not yet begun are never sent; a line already half written is finished. `recount`:
    // the dropped lines are made again later (an unplugged device sends them when it is back).
    auto dropUnsent = [&](bool recount) {
        std::deque<Unit> keep;
        for (auto& unit : out) {
            if (!unit.data || unit.started) {
                keep.push_back(std::move(unit));
            } else {
                queued -= unit.bytes.size();
                if (recount) {
                    generated -= static_cast<int64_t>(unit.readings.size());
                }
            }
        }
        out.swap(keep);
    };

    auto handleCommand = [&](const QByteArray& text) {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back({text, Ms()});
        }
        Log(QStringLiteral("received %1").arg(QString::fromLatin1(text)));
        switch (text.at(0)) {
            case 'r': {
                if (o.silent) {
                    Log(QStringLiteral("status not answered (silent)"));
                    break;
                }
                const QByteArray status = o.status.isEmpty()
                                              ? QByteArray("r0") + "0123456789ABCDEF"[o.skip & 0xF]
                                              : o.status;
                Unit unit;
                unit.bytes = status + "\r\n";
                push(std::move(unit));
                Log(QStringLiteral("sent %1").arg(QString::fromLatin1(status)));
                break;
            }
            case 'd':
                if (!streaming_) {
                    streaming_ = true;
                    ++run;
                    nextDueNs = NowNs();
                    Log(QStringLiteral("streaming"));
                }
                break;
            case 's': {
                streaming_ = false;
                dropUnsent(false);
                Log(QStringLiteral("stopped after %1 data lines").arg(generated));
                break;
            }
            default:
                break;
        }
    };

    for (;;) {
        if (stopping_) {
            return;
        }
        int64_t now = NowNs();

        if (const int awayMs = unplugRequest_.exchange(-1); awayMs >= 0 && master_ >= 0) {
            unplugAtNs = now;
            replugMs = awayMs;
        }
        if (unplugAtNs >= 0 && now >= unplugAtNs && unplugDeadlineNs < 0) {
            streaming_ = false;
            dropUnsent(true);
            unplugDeadlineNs = now + 3000 * kMs;
            unplugAtNs = -1;
        }
        if (unplugDeadlineNs >= 0) {
            // Every line counted as sent has reached the reader before the device goes (or the
            // reader has had three seconds to take it).
            int unread = 0;
            ::ioctl(slave_, FIONREAD, &unread);
            if ((out.empty() && unread == 0) || now >= unplugDeadlineNs) {
                CloseTerminal();
                out.clear();
                queued = 0;
                command.clear();
                unplugDeadlineNs = -1;
                replugAtNs = now + replugMs * kMs;
                replugMs = o.replugAfterMs;
                plugged_ = false;
                ++unplugCount_;
                Log(QStringLiteral("unplugged after %1 data lines").arg(generated));
            }
        }
        if (replugAtNs >= 0 && now >= replugAtNs) {
            replugAtNs = -1;
            const QString problem = OpenTerminal();
            if (!problem.isEmpty()) {
                Log(QStringLiteral("cannot plug in again: %1").arg(problem));
                CloseTerminal();
                hungUp_ = true;
                return;
            }
            plugged_ = true;
            Log(QStringLiteral("plugged in again as %1").arg(devicePath()));
            if (o.unplugAfterMs > 0 && (o.unplugCycles == 0 || unplugCount_ < o.unplugCycles)) {
                unplugAtNs = now + o.unplugAfterMs * kMs;
            }
        }

        if (streaming_ && (dataLimit <= 0 || generated < dataLimit)) {
            if (paced) {
                // A stalled reader does not earn a catch-up burst later.
                nextDueNs = std::max(nextDueNs, now - 100 * kMs);
                while (nextDueNs <= now && queued < kQueueLimit &&
                       (dataLimit <= 0 || generated < dataLimit)) {
                    enqueueData();
                    nextDueNs += unitNs;
                }
            } else {
                while (queued < kQueueLimit && (dataLimit <= 0 || generated < dataLimit)) {
                    enqueueData();
                }
            }
        }
        if (count > 0 && generated >= count && !countLogged) {
            countLogged = true;
            streaming_ = false;
            Log(QStringLiteral("count of %1 data lines reached").arg(count));
        }

        bool waitWritable = false;
        while (!out.empty() && now >= nextWriteNs) {
            Unit& unit = out.front();
            const ssize_t n = ::write(master_, unit.bytes.constData(), size_t(unit.bytes.size()));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                waitWritable = errno == EAGAIN;
                break;
            }
            unit.started = true;
            unit.bytes.remove(0, n);
            queued -= n;
            if (!unit.bytes.isEmpty()) {
                waitWritable = true;
                break;
            }
            if (!unit.readings.empty()) {
                const int64_t ms = Ms();
                std::lock_guard lock(mutex_);
                for (auto& r : unit.readings) {
                    r.ms = ms;
                    readings_.push_back(std::move(r));
                    ++sentCount_;
                    if (readings_.size() > o.keepReadings) {
                        readings_.pop_front();
                    }
                }
            }
            if (unit.data) {
                ++pieceCount_;
            }
            out.pop_front();
            if (o.splitWrites) {
                nextWriteNs = now + kSplitGapNs;
                break;
            }
        }

        if (o.hangupAfter > 0 && generated >= o.hangupAfter && out.empty()) {
            if (hangupAtNs < 0) {
                hangupAtNs = now + kHangupGraceNs;
            } else if (now >= hangupAtNs) {
                CloseFd(slave_);
                CloseFd(master_);
                streaming_ = false;
                hungUp_ = true;
                Log(QStringLiteral("hung up after %1 data lines").arg(generated));
                return;
            }
        }

        // A program that dies without closing the port leaves the terminal marked exclusive, and
        // it would refuse the next open; the simulator, the only other holder, lifts the mark.
        if (slave_ >= 0 && now >= nextUnlockNs) {
            ioctl(slave_, TIOCNXCL);
            nextUnlockNs = now + kUnlockEveryNs;
        }

        // Sleep until a command arrives, the line takes more, or the next line is due.
        int64_t wakeNs = std::min(now + 1000 * kMs, nextUnlockNs);
        if (streaming_ && paced && queued < kQueueLimit) {
            wakeNs = std::min(wakeNs, nextDueNs);
        }
        if (!out.empty() && nextWriteNs > now) {
            wakeNs = std::min(wakeNs, nextWriteNs);
        }
        if (hangupAtNs >= 0) {
            wakeNs = std::min(wakeNs, hangupAtNs);
        }
        for (const int64_t at : {unplugAtNs, replugAtNs}) {
            if (at >= 0) {
                wakeNs = std::min(wakeNs, at);
            }
        }
        if (unplugDeadlineNs >= 0) {
            wakeNs = std::min(wakeNs, now + 2 * kMs);
        }
        if (streaming_ && !paced && queued < kQueueLimit) {
            wakeNs = now;
        }
        const int64_t waitNs = std::max<int64_t>(0, wakeNs - now);
        timespec timeout{static_cast<time_t>(waitNs / 1'000'000'000),
                         static_cast<long>(waitNs % 1'000'000'000)};
        pollfd fds[2] = {{master_, short(POLLIN | (waitWritable ? POLLOUT : 0)), 0},
                         {wake_[0], POLLIN, 0}};
        const int ready = ppoll(fds, 2, &timeout, nullptr);
        if (ready <= 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            char drain[16];
            while (::read(wake_[0], drain, sizeof drain) > 0) {
            }
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                const char c = buffer[i];
                if (c == '\r' || c == '\n') {
                    if (!command.isEmpty()) {
                        handleCommand(command);
                        command.clear();
                    }
                } else if (command.size() < 256) {
                    command += c;
                }
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Nobody holds the terminal; wait for the next open without spinning.
            usleep(20000);
        }
    }
}

double Simulator::threadCpuSeconds() {
    clockid_t clock{};
    timespec used{};
    if (!thread_.joinable() || pthread_getcpuclockid(thread_.native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0) {
        return 0;
    }
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

}  // namespace korvi::sim

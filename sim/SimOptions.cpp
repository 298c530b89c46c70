#include "sim/SimOptions.h"

#include <algorithm>

#include "recording/RecordingReader.h"

namespace korvi::sim {

namespace {

bool ToInt64(const QString& text, int64_t min, int64_t max, int64_t& out) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < min || v > max) {
        return false;
    }
    out = v;
    return true;
}

}  // namespace

bool ParseSensorList(const QString& text, std::vector<int>& sensors) {
    std::vector<int> result;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList range = part.trimmed().split(u'-');
        int64_t from = 0;
        int64_t to = 0;
        if (range.size() == 1) {
            if (!ToInt64(range[0], 0, 15, from)) {
                return false;
            }
            to = from;
        } else if (range.size() == 2) {
            if (!ToInt64(range[0], 0, 15, from) || !ToInt64(range[1], 0, 15, to) || to < from) {
                return false;
            }
        } else {
            return false;
        }
        for (int64_t s = from; s <= to; ++s) {
            if (std::find(result.begin(), result.end(), static_cast<int>(s)) == result.end()) {
                result.push_back(static_cast<int>(s));
            }
        }
    }
    if (result.empty()) {
        return false;
    }
    sensors = std::move(result);
    return true;
}

QString SimUsage() {
    return QStringLiteral(
        "usage: korvi-sim [options]\n"
        "Creates a pseudo-terminal, prints its path on the first line and answers like the\n"
        "sensor controller: \"r\" gets the status line, \"d\" starts data lines, \"s\" stops.\n"
        "\n"
        "  --link PATH           make a symbolic link PATH to the device\n"
        "  --skip N              ready status r0 + hex digit N (0-15, default 0)\n"
        "  --status TEXT         answer \"r\" with TEXT instead (e.g. r1)\n"
        "  --silent              never answer \"r\"\n"
        "  --rate N              readings per second (default 100, 0 = as fast as possible)\n"
        "  --sensors LIST        sensors to press, e.g. 0,1,5 or 0-15 (default 0-15)\n"
        "  --pattern NAME        lively, taps, strokes, walk or ramp (default lively)\n"
        "  --seed N              seed of the pattern's randomness (default 1)\n"
        "  --malformed-every N   every Nth data line is malformed\n"
        "  --split-writes        cut each line across several writes\n"
        "  --no-line-ends        send data lines without CR LF\n"
        "  --burst N             send N lines at once in one write\n"
        "  --hangup-after N      close the line after N data lines and exit\n"
        "  --count N             stop streaming after N data lines\n"
        "  --unplug-after S      unplug the device S seconds after it was plugged in: the\n"
        "                        terminal is closed and the link removed (a pulled adapter)\n"
        "  --replug-after S      plug it in again S seconds later as a new terminal behind\n"
        "                        the same link (default 1)\n"
        "  --unplug-cycles N     unplug and plug in N times (default 1, 0 = forever)\n"
        "  --replay FILE         send the rows of a CSV recording once, in order\n"
        "  --log PATH            write the log to PATH instead of standard error\n"
        "  --quiet               no log\n"
        "  --help                this text\n");
}

bool ParseSimCommandLine(const QStringList& args, SimCommandLine& line, QString& error) {
    SimCommandLine parsed = line;
    SimOptions& o = parsed.options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](int64_t min, int64_t max, int64_t& out) {
            QString text;
            if (!value(text)) {
                return false;
            }
            if (!ToInt64(text, min, max, out)) {
                error = QStringLiteral("%1: %2 is not a number from %3 to %4")
                            .arg(arg, text)
                            .arg(min)
                            .arg(max);
                return false;
            }
            return true;
        };
        int64_t n = 0;
        QString text;
        if (arg == u"--help" || arg == u"-h") {
            line.help = true;
            return true;
        } else if (arg == u"--link") {
            if (!value(o.linkPath)) {
                return false;
            }
        } else if (arg == u"--skip") {
            if (!number(0, 15, n)) {
                return false;
            }
            o.skip = static_cast<int>(n);
        } else if (arg == u"--status") {
            if (!value(text)) {
                return false;
            }
            o.status = text.toLatin1();
        } else if (arg == u"--silent") {
            o.silent = true;
        } else if (arg == u"--rate") {
            if (!value(text)) {
                return false;
            }
            bool ok = false;
            o.rate = text.toDouble(&ok);
            if (!ok || o.rate < 0 || o.rate > 1e6) {
                error = QStringLiteral("--rate: %1 is not a rate from 0 to 1000000").arg(text);
                return false;
            }
        } else if (arg == u"--sensors") {
            if (!value(text)) {
                return false;
            }
            if (!ParseSensorList(text, o.sensors)) {
                error = QStringLiteral("--sensors: %1 is not a list of sensors 0-15").arg(text);
                return false;
            }
        } else if (arg == u"--pattern") {
            if (!value(text)) {
                return false;
            }
            if (text == u"lively") {
                o.pattern = Pattern::Lively;
            } else if (text == u"taps") {
                o.pattern = Pattern::Taps;
            } else if (text == u"strokes") {
                o.pattern = Pattern::Strokes;
            } else if (text == u"walk") {
                o.pattern = Pattern::Walk;
            } else if (text == u"ramp") {
                o.pattern = Pattern::Ramp;
            } else {
                error = QStringLiteral("--pattern: %1 is none of lively, taps, strokes, walk, ramp")
                            .arg(text);
                return false;
            }
        } else if (arg == u"--seed") {
            if (!number(0, 0xFFFFFFFFll, n)) {
                return false;
            }
            o.seed = static_cast<uint32_t>(n);
        } else if (arg == u"--malformed-every") {
            if (!number(0, 1000000000, n)) {
                return false;
            }
            o.malformedEvery = static_cast<int>(n);
        } else if (arg == u"--split-writes") {
            o.splitWrites = true;
        } else if (arg == u"--no-line-ends") {
            o.noLineEnds = true;
        } else if (arg == u"--burst") {
            if (!number(0, 100000, n)) {
                return false;
            }
            o.burst = static_cast<int>(n);
        } else if (arg == u"--hangup-after") {
            if (!number(0, INT64_MAX, n)) {
                return false;
            }
            o.hangupAfter = n;
        } else if (arg == u"--count") {
            if (!number(0, INT64_MAX, n)) {
                return false;
            }
            o.count = n;
        } else if (arg == u"--unplug-after" || arg == u"--replug-after") {
            if (!value(text)) {
                return false;
            }
            bool ok = false;
            const double seconds = text.toDouble(&ok);
            if (!ok || seconds <= 0 || seconds > 86400) {
                error =
                    QStringLiteral("%1: %2 is not a time from 0 to 86400 seconds").arg(arg, text);
                return false;
            }
            (arg == u"--unplug-after" ? o.unplugAfterMs : o.replugAfterMs) =
                std::max(1, static_cast<int>(seconds * 1000));
        } else if (arg == u"--unplug-cycles") {
            if (!number(0, 1000000, n)) {
                return false;
            }
            o.unplugCycles = static_cast<int>(n);
        } else if (arg == u"--replay") {
            if (!value(text)) {
                return false;
            }
            const Recording recording = ReadRecordingFile(text);
            if (!recording.ok()) {
                error = QStringLiteral("--replay: %1 line %2: not a recording (%3)")
                            .arg(text)
                            .arg(recording.badLine)
                            .arg(recording.problem);
                return false;
            }
            o.replay.clear();
            for (const RecordedRow& r : recording.rows) {
                o.replay.push_back({r.sensor, r.press, r.x, r.y});
            }
        } else if (arg == u"--log") {
            if (!value(parsed.logPath)) {
                return false;
            }
        } else if (arg == u"--quiet") {
            parsed.quiet = true;
        } else {
            error = QStringLiteral("unknown option %1 (see --help)").arg(arg);
            return false;
        }
    }
    line = std::move(parsed);
    return true;
}

}  // namespace korvi::sim

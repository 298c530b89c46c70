// The figures of the end-to-end benchmark, kept apart from the widgets so that they can be
// checked on their own: which received line becomes which reading (and when it arrived), the
// latency percentiles, and the comparison of the CSV recording with what the simulator sent.
#pragma once

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <vector>

#include "link/LineProtocol.h"
#include "settings/NumberText.h"

namespace korvi::bench {

// Follows the received byte stream the way the program cuts it into lines, and keeps the arrival
// time of every data line that the exchange will hand on as a reading: the lines the ring refused
// and the lines discarded after the ready status are left out, so the n-th kept arrival belongs
// to the n-th reading.
//
//   tracker.Chunk(bytes, nowNs, RxBuffer.RefusedCount());   // as each chunk is read
//   tracker.Settle(RxBuffer.RefusedCount());                // before asking about readings
//   tracker.TakeOldest(ns);                                 // arrival of the next reading
class ArrivalTracker {
  public:
    // A chunk read from the line at `nowNs`. `refusedSoFar` is the ring's refusal count before
    // this chunk was split (that is, now: the split follows the read).
    void Chunk(const QByteArray& bytes, int64_t nowNs, int64_t refusedSoFar) {
        Settle(refusedSoFar);
        pending_ += bytes;
        qsizetype start = 0;
        for (;;) {
            const qsizetype end = FindLineEnd(pending_.constData(), pending_.size(), start);
            if (end < 0) {
                break;
            }
            unsettled_.push_back(Kind(pending_.constData() + start, end - start));
            start = end + 2;
        }
        pending_.remove(0, start);
        unsettledNs_ = nowNs;
    }

    // The ring's refusal count after the last chunk was split: the lines it refused were the
    // last ones of that chunk (nothing is taken out while a chunk is being split).
    void Settle(int64_t refusedNow) {
        const int64_t refused = refusedNow - refusedSeen_;
        refusedSeen_ = refusedNow;
        for (int64_t n = 0; n < refused && !unsettled_.empty(); ++n) {
            unsettled_.pop_back();
        }
        for (const LineKind kind : unsettled_) {
            if (kind == LineKind::Status) {
                skip_ = skipFromStatus_;
            } else if (kind == LineKind::Data) {
                if (skip_ > 0) {
                    --skip_;
                } else if (!arrivals_.empty() && arrivals_.back().ns == unsettledNs_) {
                    ++arrivals_.back().count;  // the lines of one chunk share their arrival
                } else {
                    arrivals_.push_back({unsettledNs_, 1});
                }
            }
        }
        unsettled_.clear();
    }

    // Arrival of the oldest reading not yet taken; false when none is known.
    bool TakeOldest(int64_t& ns) { return TakeRun(ns, 1) == 1; }

    // Takes up to `most` of the oldest readings that arrived together: their arrival goes to
    // `ns`, their number is returned (0 when none is known).
    int64_t TakeRun(int64_t& ns, int64_t most) {
        if (arrivals_.empty() || most < 1) {
            return 0;
        }
        Run& front = arrivals_.front();
        ns = front.ns;
        const int64_t taken = std::min(most, front.count);
        front.count -= taken;
        if (front.count == 0) {
            arrivals_.pop_front();
        }
        return taken;
    }

    size_t Waiting() const {
        size_t n = 0;
        for (const Run& r : arrivals_) {
            n += static_cast<size_t>(r.count);
        }
        return n;
    }
    // Data lines discarded after the last ready status.
    int Skipped() const { return skipFromStatus_; }

  private:
    enum class LineKind { Status, Data, Other };

    // Read on the bytes: building a text per line would cost the measured thread more than the
    // program spends on a reading.
    LineKind Kind(const char* text, qsizetype size) {
        if (size >= 2 && text[0] == 'r' && text[1] == '0') {
            const int digit = size >= 3 ? HexDigitValue(QLatin1Char(text[2])) : -1;
            skipFromStatus_ = (digit < 0 ? 0 : digit) + 1;
            return LineKind::Status;
        }
        return size > 0 && text[0] == 'd' ? LineKind::Data : LineKind::Other;
    }

    QByteArray pending_;
    std::vector<LineKind> unsettled_;
    int64_t unsettledNs_ = 0;
    int64_t refusedSeen_ = 0;
    int skipFromStatus_ = 0;
    int skip_ = 0;
    struct Run {
        int64_t ns;
        int64_t count;
    };
    std::deque<Run> arrivals_;
};

// Latencies in bins 1 % wide from 1 microsecond to 1000 seconds: fixed memory however long the
// run, so that counting does not itself grow the process.
class LatencyHistogram {
  public:
    LatencyHistogram() : bins_(kBins + 1, 0) {}

    void Add(double ms, int64_t times = 1) {
        bins_[Bin(ms)] += times;
        count_ += times;
    }
    int64_t Count() const { return count_; }

    // The upper edge of the bin holding the sample of rank ceil(p * count); 0 without samples.
    double Percentile(double p) const {
        if (count_ == 0) {
            return 0;
        }
        const auto rank = static_cast<int64_t>(std::ceil(p * static_cast<double>(count_)));
        int64_t seen = 0;
        for (size_t b = 0; b < bins_.size(); ++b) {
            seen += bins_[b];
            if (seen >= std::max<int64_t>(rank, 1)) {
                return UpperEdge(b);
            }
        }
        return UpperEdge(bins_.size() - 1);
    }

  private:
    static constexpr double kLowestMs = 0.001;
    static constexpr double kGrowth = 1.01;
    // log(1e9) / log(1.01): up to 1e6 ms.
    static constexpr size_t kBins = 2083;

    static size_t Bin(double ms) {
        if (!(ms > kLowestMs)) {
            return 0;
        }
        const double b = std::ceil(std::log(ms / kLowestMs) / std::log(kGrowth));
        return b >= static_cast<double>(kBins) ? kBins : static_cast<size_t>(b);
    }
    static double UpperEdge(size_t bin) {
        return kLowestMs * std::pow(kGrowth, static_cast<double>(bin));
    }

    std::vector<int64_t> bins_;
    int64_t count_ = 0;
};

struct Row {
    int sensor = 0;
    int press = 0;
    int x = 0;
    int y = 0;
    bool operator==(const Row&) const = default;
};

// The data rows of a recording: the header line is skipped, rows are "sensor,press,x,y" ended by
// CR LF. A row that does not read as four numbers is kept as an impossible reading, so that it
// can never stand in for a real one.
inline std::vector<Row> ParseCsvRows(const QByteArray& file) {
    std::vector<Row> rows;
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QByteArray line = lines[n].trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QList<QByteArray> fields = line.split(',');
        Row row{-1, -1, -1, -1};
        if (fields.size() == 4) {
            bool ok[4];
            const Row parsed{fields[0].toInt(&ok[0]), fields[1].toInt(&ok[1]),
                             fields[2].toInt(&ok[2]), fields[3].toInt(&ok[3])};
            if (ok[0] && ok[1] && ok[2] && ok[3]) {
                row = parsed;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// How many of the expected readings, in order, the recording lacks. The recording may go on past
// the expected ones (its later rows are simply not looked for) but must keep their order.
inline int64_t CountMissing(const std::vector<Row>& expected, const std::vector<Row>& recorded) {
    int64_t missing = 0;
    size_t next = 0;
    for (const Row& e : expected) {
        while (next < recorded.size() && recorded[next].sensor < 0) {
            ++next;  // an unreadable row stands for nothing
        }
        if (next < recorded.size() && recorded[next] == e) {
            ++next;
        } else {
            ++missing;
        }
    }
    return missing;
}

}  // namespace korvi::bench

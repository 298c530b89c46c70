#include "recording/CsvRecorder.h"

#include <QDir>
#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/FailureText.h"
#include "platform/MessageBoxes.h"
#include "recording/RecordingReader.h"
#include "settings/DrawSetting.h"

namespace korvi {

namespace {

const QString kCaptionIdle = QStringLiteral("CSV出力");
const QString kCaptionRecording = QStringLiteral("CSV出力中");
const QString kErrorTitle = QStringLiteral("CSV出力エラー");

// Rows collect in memory and go to the file in blocks; the flush timer empties the buffer every
// second, so a crash loses at most the last second of rows.
constexpr size_t kBufferBytes = 64 * 1024;
constexpr int kFlushMs = 1000;

// "sensor,press,x,y" and CR LF into `out`, which holds at least 32 characters; returns the end.
char* FormatRow(char* out, int16_t sensor, int16_t press, int16_t x, int16_t y) {
    char* const end = out + 32;
    out = std::to_chars(out, end, sensor).ptr;
    *out++ = ',';
    out = std::to_chars(out, end, press).ptr;
    *out++ = ',';
    out = std::to_chars(out, end, x).ptr;
    *out++ = ',';
    out = std::to_chars(out, end, y).ptr;
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

}  // namespace

CsvRecorder::CsvRecorder(const QString& appFolder, const DrawSetting& setting, MessageBoxes& boxes)
    : appFolder_(appFolder), setting_(setting), boxes_(boxes), caption_(kCaptionIdle) {
    buffer_.reserve(kBufferBytes + 64);
    CSVTime_.setTimerType(Qt::PreciseTimer);
    // The countdown reads the end timer's time left at its own ticks: both keep to the
    // millisecond, so the seconds shown are those left.
    smpleEndTimeer_.setTimerType(Qt::PreciseTimer);
    countdown_.setTimerType(Qt::PreciseTimer);
    countdown_.setInterval(1000);
    flushTimer_.setInterval(kFlushMs);
    QObject::connect(&CSVTime_, &QTimer::timeout, &CSVTime_, [this] { CSVTime_Timer(); });
    QObject::connect(&smpleEndTimeer_, &QTimer::timeout, &smpleEndTimeer_,
                     [this] { smpleEndTimeer_Timer(); });
    QObject::connect(&flushTimer_, &QTimer::timeout, &flushTimer_, [this] { FlushTick(); });
    QObject::connect(&countdown_, &QTimer::timeout, &countdown_, [this] {
        if (SecondsLeft() != shownSecondsLeft_) {
            StatusChanged();
        }
    });
}

CsvRecorder::~CsvRecorder() {
    if (CsvMode_ > 0) {
        WriteBuffer();
        CsvFile_.close();
    }
}

void CsvRecorder::SetCaptionHandler(std::function<void(const QString&)> handler) {
    captionHandler_ = std::move(handler);
}

QString CsvRecorder::Caption() const {
    return caption_;
}

void CsvRecorder::SetStatusHandler(std::function<void()> handler) {
    statusHandler_ = std::move(handler);
}

QString CsvRecorder::StatusText() const {
    if (CsvMode_ != 0) {
        const int left = SecondsLeft();
        return left < 0 ? QStringLiteral("CSV 記録中")
                        : QStringLiteral("CSV 記録中 残り %1 秒").arg(left);
    }
    switch (ended_) {
        case Ended::ByLength:
            return QStringLiteral("CSV 記録終了 (%1 秒)").arg(lengthSeconds_);
        case Ended::ByRowLimit:
            return QStringLiteral("CSV 記録終了 (%1 行)").arg(kRowLimit + 1);
        case Ended::ByUser:
            break;
    }
    return QStringLiteral("CSV 停止");
}

int CsvRecorder::SecondsLeft() const {
    if (CsvMode_ == 2 && smpleEndTimeer_.isActive()) {
        // The last second shows until the end timer has ended the recording.
        return std::max(1, (smpleEndTimeer_.remainingTime() + 999) / 1000);
    }
    if (CsvMode_ == 1 && setting_.AllTime > 0) {
        const int64_t leftMs =
            int64_t{setting_.AllTime} * 1000 - int64_t{CsvRowCount_} * setting_.CsvIntervalMs;
        return static_cast<int>(std::max<int64_t>(1, (leftMs + 999) / 1000));
    }
    return -1;
}

void CsvRecorder::StatusChanged() {
    shownSecondsLeft_ = SecondsLeft();
    if (statusHandler_) {
        statusHandler_();
    }
}

QString CsvRecorder::FilePath() const {
    return QDir(appFolder_).filePath(QStringLiteral("SavaData/KorviData.csv"));
}

void CsvRecorder::btnSaveCsv_Click() {
    if (CsvMode_ == 0) {
        Start();
    } else {
        StopCsvOutput();
    }
}

bool CsvRecorder::Start() {
    const QString path = FilePath();
    // The folder is made at start-up; should it have gone since, it is made again.
    QDir().mkpath(QDir(appFolder_).filePath(QStringLiteral("SavaData")));
    CsvFile_.setFileName(path);
    if (!CsvFile_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const QString why = CsvFile_.errorString();
        boxes_.show(QStringLiteral("CSVファイルを作成できません。\n%1\n%2")
                        .arg(QDir::toNativeSeparators(path),
                             FailureText({}, FailureKindOfSystemText(why), why)),
                    kErrorTitle, BoxIcon::Critical);
        return false;
    }
    buffer_.clear();
    writeFailed_ = false;
    writeError_.clear();
    fileBytes_ = 0;
    const QByteArray header = RecordingHeader() + "\r\n";
    Append(header.constData(), static_cast<size_t>(header.size()));
    if (!WriteBuffer()) {
        // No room even for the header: the recording does not start.
        CsvFile_.close();
        ReportWriteFailure();
        return false;
    }

    ended_ = Ended::ByUser;
    lengthSeconds_ = setting_.AllTime;
    if (setting_.Sampling != 0) {
        CsvMode_ = 1;
    } else {
        CsvMode_ = 2;
        // Computed in 32 bits: every AllTime up to 32767 s is a valid length.
        SetEndTimer(true, static_cast<int32_t>(setting_.AllTime) * 1000);
        if (smpleEndTimeer_.isActive()) {
            countdown_.start();
        }
    }
    CsvRowCount_ = 0;
    flushTimer_.start();
    SetCaption(kCaptionRecording);
    StatusChanged();
    return true;
}

void CsvRecorder::OnReading(int16_t sensor, int16_t press, int16_t x, int16_t y) {
    reading_ = {sensor, press, x, y};
    if (CsvMode_ == 1 && !csvTimeOn_) {
        SetCsvTime(true);
    } else if (CsvMode_ == 2) {
        CSVTime_Timer();
    }
}

void CsvRecorder::CSVTime_Timer() {
    if (CsvMode_ <= 0) {
        SetCsvTime(false);
        return;
    }
    WriteRow();
    ++CsvRowCount_;

    if (CsvRowCount_ > kRowLimit) {
        Stop(Ended::ByRowLimit);
    } else if (CsvMode_ == 1) {
        const int64_t recordedMs = int64_t{CsvRowCount_} * setting_.CsvIntervalMs;
        const int64_t lengthMs = int64_t{setting_.AllTime} * 1000;
        if (recordedMs >= lengthMs) {
            lengthSeconds_ = setting_.AllTime;
            Stop(Ended::ByLength);
        } else if (SecondsLeft() != shownSecondsLeft_) {
            StatusChanged();
        }
    }

    // A released press is written once more, then sampling pauses until the next reading.
    if (reading_.press == 0) {
        SetCsvTime(false);
    }
}

void CsvRecorder::smpleEndTimeer_Timer() {
    SetEndTimer(false);
    Stop(Ended::ByLength);
}

void CsvRecorder::StopCsvOutput() {
    Stop(Ended::ByUser);
}

void CsvRecorder::Stop(Ended how) {
    if (CsvMode_ <= 0) {
        return;
    }
    SetCsvTime(false);
    SetEndTimer(false);
    countdown_.stop();
    flushTimer_.stop();
    const bool written = WriteBuffer();
    CsvFile_.close();
    CsvMode_ = 0;
    ended_ = how;
    SetCaption(kCaptionIdle);
    StatusChanged();
    if (!written) {
        ReportWriteFailure();
    }
}

void CsvRecorder::ReportWriteFailure() {
    boxes_.show(QStringLiteral("CSVファイルに書き込めませんでした。\n%1\n%2")
                    .arg(QDir::toNativeSeparators(FilePath()),
                         FailureText({}, FailureKindOfSystemText(writeError_), writeError_)),
                kErrorTitle, BoxIcon::Critical);
}

void CsvRecorder::FlushTick() {
    if (CsvMode_ > 0 && !WriteBuffer()) {
        StopCsvOutput();
    }
}

void CsvRecorder::WriteRow() {
    char row[32];
    const char* end = FormatRow(row, reading_.sensor, reading_.press, reading_.x, reading_.y);
    Append(row, static_cast<size_t>(end - row));
    if (buffer_.size() >= kBufferBytes) {
        FlushTick();
    }
}

void CsvRecorder::Append(const char* data, size_t size) {
    buffer_.insert(buffer_.end(), data, data + size);
}

bool CsvRecorder::WriteBuffer() {
    if (!buffer_.empty() && !writeFailed_) {
        const auto size = static_cast<qint64>(buffer_.size());
        // A short write is tried again for the rest: that either finds room after all or gives
        // the reason there is none.
        qint64 done = 0;
        for (qint64 n = 0; done < size; done += n) {
            n = CsvFile_.write(buffer_.data() + done, size - done);
            if (n <= 0) {
                break;
            }
        }
        if (done == size) {
            fileBytes_ += size;
        } else {
            writeFailed_ = true;
            writeError_ = CsvFile_.errorString();
            // Part of the block may have gone in, ending in a torn row that would read as a
            // reading of its own: the file is cut back to the last row that went in whole.
            const qint64 landed = std::clamp<qint64>(CsvFile_.size() - fileBytes_, 0, size);
            const auto whole = std::find(std::make_reverse_iterator(buffer_.begin() + landed),
                                         buffer_.rend(), '\n');
            fileBytes_ += static_cast<qint64>(buffer_.rend() - whole);
            CsvFile_.resize(fileBytes_);
        }
    }
    buffer_.clear();
    return !writeFailed_;
}

void CsvRecorder::SetCaption(const QString& caption) {
    caption_ = caption;
    if (captionHandler_) {
        captionHandler_(caption_);
    }
}

void CsvRecorder::SetCsvTime(bool on) {
    csvTimeOn_ = on;
    const int intervalMs = setting_.CsvIntervalMs;
    if (on && intervalMs > 0) {
        CSVTime_.start(intervalMs);
    } else {
        CSVTime_.stop();
    }
}

void CsvRecorder::SetEndTimer(bool on, int32_t intervalMs) {
    endTimerOn_ = on;
    if (on && intervalMs > 0) {
        smpleEndTimeer_.start(intervalMs);
    } else {
        smpleEndTimeer_.stop();
    }
}

}  // namespace korvi

// CSV recording of the readings into SavaData/KorviData.csv: timed sampling through the timer
// `CSVTime`, or one row per reading for `AllTime` seconds (`smpleEndTimeer`), with the row limit.
// Rows are buffered and reach the disk at least once a second and at every stop; a write the disk
// cannot take whole is cut back to the last whole row, so the file never ends in a torn row.
#pragma once

#include <QFile>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvi {

struct DrawSetting;
class MessageBoxes;

class CsvRecorder {
  public:
    static constexpr int16_t kRowLimit = 32000;  // the row that passes it is the last one

    // `setting` is read at each start and tick (it is reloaded in place when communication
    // starts); the file goes to the SavaData folder of `appFolder`.
    CsvRecorder(const QString& appFolder, const DrawSetting& setting, MessageBoxes& boxes);
    // Writes what is buffered and closes the file of a recording still running.
    ~CsvRecorder();
    CsvRecorder(const CsvRecorder&) = delete;
    CsvRecorder& operator=(const CsvRecorder&) = delete;

    // Receives the caption of btnSaveCsv whenever it changes ("CSV出力中" / "CSV出力").
    void SetCaptionHandler(std::function<void(const QString&)> handler);
    QString Caption() const;

    // The recording's state for the status bar: "CSV 停止"; "CSV 記録中", with the time left
    // while a recording with a length runs ("CSV 記録中 残り 7 秒"); once a recording has ended by
    // itself, how long it was ("CSV 記録終了 (10 秒)") or that the row limit ended it
    // ("CSV 記録終了 (32001 行)"), until the next one starts.
    QString StatusText() const;
    // "CSV 停止": no recording runs, and the last one was not ended by itself.
    bool IsIdle() const { return CsvMode_ == 0 && ended_ == Ended::ByUser; }
    // Called whenever StatusText() changes: at a start and a stop, and as the time left counts
    // down (once a second by a timer of its own in every-reading mode, by the rows in timed mode).
    void SetStatusHandler(std::function<void()> handler);

    // btnSaveCsv click: starts a recording when none runs, otherwise stops it.
    void btnSaveCsv_Click();

    // The exchange loop, after each decoded reading: in timed mode the sampling timer is turned
    // on; in every-reading mode a row is written at once.
    void OnReading(int16_t sensor, int16_t press, int16_t x, int16_t y);

    // Ends a recording; does nothing when none runs. Also turns smpleEndTimeer off, so that the
    // timer of an earlier recording can never cut a later one short.
    void StopCsvOutput();

    // Timer actions, public so that they can be driven directly.
    void CSVTime_Timer();         // writes the row of the last reading
    void smpleEndTimeer_Timer();  // the recording length of the every-reading mode has passed
    void FlushTick();             // puts the buffered rows on the disk

    int16_t CsvMode() const { return CsvMode_; }
    int16_t CsvRowCount() const { return CsvRowCount_; }
    bool CSVTimeEnabled() const { return csvTimeOn_; }
    bool smpleEndTimeerEnabled() const { return endTimerOn_; }
    QString FilePath() const;

  private:
    struct Reading {
        int16_t sensor = 0;
        int16_t press = 0;
        int16_t x = 0;
        int16_t y = 0;
    };

    enum class Ended { ByUser, ByLength, ByRowLimit };

    bool Start();
    void Stop(Ended how);
    void WriteRow();
    void Append(const char* data, size_t size);
    bool WriteBuffer();
    void ReportWriteFailure();
    void SetCaption(const QString& caption);
    void SetCsvTime(bool on);
    void SetEndTimer(bool on, int32_t intervalMs = 0);
    // Whole seconds left, rounded up, of a recording with a length; -1 without one.
    int SecondsLeft() const;
    void StatusChanged();

    QString appFolder_;
    const DrawSetting& setting_;
    MessageBoxes& boxes_;
    std::function<void(const QString&)> captionHandler_;
    QString caption_;
    std::function<void()> statusHandler_;
    Ended ended_ = Ended::ByUser;
    int16_t lengthSeconds_ = 0;  // AllTime when the recording started
    int shownSecondsLeft_ = -1;

    int16_t CsvMode_ = 0;
    int16_t CsvRowCount_ = 0;
    QFile CsvFile_;
    std::vector<char> buffer_;
    bool writeFailed_ = false;
    QString writeError_;    // why the write failed, for the message
    qint64 fileBytes_ = 0;  // what the file holds: whole rows only
    Reading reading_;

    // A timer that is on with an interval of 0 never ticks, so the "on" state is kept apart
    // from the QTimer running.
    bool csvTimeOn_ = false;
    bool endTimerOn_ = false;
    QTimer CSVTime_;
    QTimer smpleEndTimeer_;
    QTimer flushTimer_;
    QTimer countdown_;
};

}  // namespace korvi

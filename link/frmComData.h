// The communication monitor: a second window that shows the raw traffic in both directions,
// every command sent and every chunk received, in arrival order.
//
//   ComDataMonitor monitor(&mainWindow);
//   monitor.Open();                  // cmdComData / DataWindow: opens, or raises the open one
//   monitor.AppendIfOpen("r\r");     // the exchange echoes what it sends and receives
//   monitor.Flush();                 // shows what is waiting now (a timer does it per frame)
//   monitor.Close();                 // with the main window
#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace korvi {

// More than this many characters in the box before an append cuts it down to its characters
// from kMonitorKeepFrom (1-based) on. Characters are counted as received: a CR LF is two, though
// the box shows it as one line break.
inline constexpr qsizetype kMonitorMaxChars = 15000;
inline constexpr qsizetype kMonitorKeepFrom = 5000;

// Appends `text` at the end of the box in `colour` (0x00BBGGRR) and scrolls to it. CR LF, a
// lone CR and a lone LF each end a line; a CR LF cut across two appends ends one line. A box
// holding more than 15000 received characters first drops its first 4999.
void AppendMonitorText(QPlainTextEdit& box, const QString& text, uint32_t colour);

// Appends received chunks, joined, with the length of each: the box ends up exactly as if each
// chunk had been appended by itself (the limit rule applied before every chunk), but is changed
// only once.
void AppendReceivedChunks(QPlainTextEdit& box, const QString& joined,
                          const std::vector<qsizetype>& lengths, uint32_t colour);

class frmComData : public QWidget {
    Q_OBJECT
  public:
    explicit frmComData(QWidget* parent = nullptr);

    QPlainTextEdit* txtComData() const { return txtComData_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void FitTextBox();

    QPlainTextEdit* txtComData_;
    bool resizing_ = false;
};

// Owns the monitor window while it is open. The window is deleted when closed, so "open" means
// the window exists and is shown.
class ComDataMonitor {
  public:
    // `owner` is the main window; the monitor stays a window of its own.
    explicit ComDataMonitor(QWidget* owner = nullptr);
    ~ComDataMonitor();
    ComDataMonitor(const ComDataMonitor&) = delete;
    ComDataMonitor& operator=(const ComDataMonitor&) = delete;

    // Shows the window, or brings the open one to the front.
    void Open();
    bool IsOpen() const;
    // Appends in black when the window is open; otherwise nothing is recorded. Traffic can come
    // in thousands of chunks a second, so the chunks are collected and shown together at most
    // once a frame, in arrival order, the box ending up exactly as with one append per chunk.
    void AppendIfOpen(const QString& text);
    // Shows the collected chunks now.
    void Flush();
    void Close();
    frmComData* Window() const { return IsOpen() ? window_.data() : nullptr; }

    static constexpr int kFrameMs = 16;

  private:
    QWidget* owner_;
    QPointer<frmComData> window_;
    // Collected for window_ and not yet shown.
    QString waiting_;
    std::vector<qsizetype> waitingLengths_;
    QTimer frameTimer_;
};

}  // namespace korvi

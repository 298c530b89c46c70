#include "link/frmComData.h"

#include <QEvent>
#include <QTextCursor>

#include "platform/Colors.h"

namespace korvi {

namespace {

// The box keeps the text it holds as it was received, to count the limit on, and whether the
// character before that text (already cut away) was a CR.
constexpr char kReceived[] = "korviReceived";
constexpr char kAfterCr[] = "korviAfterCr";

// An LF right after a CR completes that line end and shows nothing.
bool Hidden(const QString& received, qsizetype i, bool afterCr) {
    return received[i] == u'\n' && (i == 0 ? afterCr : received[i - 1] == u'\r');
}

// The received text from `from` on as the box shows it: every line end a single line break.
QString Shown(const QString& received, qsizetype from, bool afterCr) {
    QString shown;
    shown.reserve(received.size() - from);
    for (qsizetype i = from; i < received.size(); ++i) {
        if (!Hidden(received, i, afterCr)) {
            shown += received[i] == u'\r' ? QChar(u'\n') : received[i];
        }
    }
    return shown;
}

// How many characters the box shows for the first `count` received characters.
qsizetype ShownCount(const QString& received, qsizetype count, bool afterCr) {
    qsizetype shown = 0;
    for (qsizetype i = 0; i < count; ++i) {
        shown += Hidden(received, i, afterCr) ? 0 : 1;
    }
    return shown;
}

}  // namespace

void AppendReceivedChunks(QPlainTextEdit& box, const QString& joined,
                          const std::vector<qsizetype>& lengths, uint32_t colour) {
    QString received = box.property(kReceived).toString();
    const bool afterCr = box.property(kAfterCr).toBool();
    const qsizetype before = received.size();
    // Every cut takes the oldest characters, so the chunks one by one leave a tail of the old
    // text and the chunks together: only how much goes has to be worked out.
    qsizetype length = before;
    qsizetype dropped = 0;
    for (const qsizetype chunk : lengths) {
        if (length > kMonitorMaxChars) {
            length -= kMonitorKeepFrom - 1;
            dropped += kMonitorKeepFrom - 1;
        }
        length += chunk;
    }
    received += joined;

    QTextDocument* doc = box.document();
    QString added;
    if (dropped > 0 && dropped >= before) {
        doc->clear();
        added = Shown(received, dropped, afterCr);
    } else {
        if (dropped > 0) {
            QTextCursor cut(doc);
            cut.setPosition(0);
            cut.setPosition(static_cast<int>(ShownCount(received, dropped, afterCr)),
                            QTextCursor::KeepAnchor);
            cut.removeSelectedText();
        }
        added = Shown(received, before, afterCr);
    }
    box.setProperty(kAfterCr, dropped > 0 ? received[dropped - 1] == u'\r' : afterCr);
    box.setProperty(kReceived, received.mid(dropped));

    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added, format);
    box.setTextCursor(cursor);
    box.ensureCursorVisible();
}

void AppendMonitorText(QPlainTextEdit& box, const QString& text, uint32_t colour) {
    AppendReceivedChunks(box, text, {text.size()}, colour);
}

frmComData::frmComData(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmComData"));
    setWindowTitle(QStringLiteral("通信データモニタ"));
    setAttribute(Qt::WA_DeleteOnClose);
    txtComData_ = new QPlainTextEdit(this);
    txtComData_->setObjectName(QStringLiteral("txtComData"));
    txtComData_->setAccessibleName(QStringLiteral("txtComData"));
    txtComData_->setReadOnly(true);
    // A read-only log needs no undo history, which would otherwise keep every append and cut.
    txtComData_->setUndoRedoEnabled(false);
    txtComData_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtComData_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    resize(480, 360);
    FitTextBox();
}

void frmComData::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitTextBox();
}

void frmComData::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Restoring from the task bar may keep the size, so no resize event would follow.
    if (event->type() == QEvent::WindowStateChange) {
        FitTextBox();
    }
}

void frmComData::FitTextBox() {
    if (resizing_ || isMinimized()) {
        return;
    }
    resizing_ = true;
    txtComData_->setGeometry(0, 0, width(), height());
    resizing_ = false;
}

ComDataMonitor::ComDataMonitor(QWidget* owner) : owner_(owner) {
    frameTimer_.setSingleShot(true);
    frameTimer_.setInterval(kFrameMs);
    QObject::connect(&frameTimer_, &QTimer::timeout, [this] { Flush(); });
}

ComDataMonitor::~ComDataMonitor() {
    delete window_.data();
}

void ComDataMonitor::Open() {
    if (!IsOpen()) {
        // A window closed but not yet deleted is replaced by a fresh one.
        if (window_) {
            window_->deleteLater();
        }
        waiting_.clear();
        waitingLengths_.clear();
        window_ = new frmComData(owner_);
        window_->show();
        return;
    }
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    window_->raise();
    window_->activateWindow();
}

bool ComDataMonitor::IsOpen() const {
    return window_ && window_->isVisible();
}

void ComDataMonitor::AppendIfOpen(const QString& text) {
    if (!IsOpen()) {
        return;
    }
    // Even a chunk that shows nothing (the LF of a CR LF cut in two) counts for the limit rule.
    waiting_ += text;
    waitingLengths_.push_back(text.size());
    if (!frameTimer_.isActive()) {
        frameTimer_.start();
    }
}

void ComDataMonitor::Flush() {
    frameTimer_.stop();
    if (IsOpen() && !waitingLengths_.empty()) {
        AppendReceivedChunks(*window_->txtComData(), waiting_, waitingLengths_, kBlack);
    }
    waiting_.clear();
    waitingLengths_.clear();
}

void ComDataMonitor::Close() {
    if (window_) {
        window_->close();
    }
}

}  // namespace korvi

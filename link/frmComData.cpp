#include "link/frmComData.h"

#include <QEvent>
#include <QTextCursor>

#include "platform/Colors.h"

namespace korvi {

namespace {

// Remembers, per box, that the last append ended in CR, so that an LF opening the next chunk
// completes that line end instead of starting an empty line.
constexpr char kEndsInCr[] = "korviEndsInCr";

}  // namespace

QString MonitorShownText(QPlainTextEdit& box, const QString& text) {
    QString shown;
    shown.reserve(text.size());
    bool afterCr = box.property(kEndsInCr).toBool();
    for (const QChar c : text) {
        if (c == u'\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = c == u'\r';
        shown += afterCr ? QChar(u'\n') : c;
    }
    box.setProperty(kEndsInCr, afterCr);
    return shown;
}

void AppendShownChunks(QPlainTextEdit& box, const QString& joined,
                       const std::vector<qsizetype>& lengths, uint32_t colour) {
    QTextDocument* doc = box.document();
    // characterCount() includes the final paragraph separator.
    const qsizetype before = doc->characterCount() - 1;
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
    QString added = joined;
    if (dropped > 0 && dropped >= before) {
        doc->clear();
        added = joined.mid(dropped - before);
    } else if (dropped > 0) {
        QTextCursor cut(doc);
        cut.setPosition(0);
        cut.setPosition(static_cast<int>(dropped), QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }

    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added, format);
    box.setTextCursor(cursor);
    box.ensureCursorVisible();
}

void AppendMonitorText(QPlainTextEdit& box, const QString& text, uint32_t colour) {
    const QString shown = MonitorShownText(box, text);
    AppendShownChunks(box, shown, {shown.size()}, colour);
}

frmComData::frmComData(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmComData"));
    setWindowTitle(QStringLiteral("通信データモニタ"));
    setAttribute(Qt::WA_DeleteOnClose);
    txtComData_ = new QPlainTextEdit(this);
    txtComData_->setObjectName(QStringLiteral("txtComData"));
    txtComData_->setAccessibleName(QStringLiteral("txtComData"));
    txtComData_->setReadOnly(true);
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
    const QString shown = MonitorShownText(*window_->txtComData(), text);
    waiting_ += shown;
    waitingLengths_.push_back(shown.size());
    if (!frameTimer_.isActive()) {
        frameTimer_.start();
    }
}

void ComDataMonitor::Flush() {
    frameTimer_.stop();
    if (IsOpen() && !waitingLengths_.empty()) {
        AppendShownChunks(*window_->txtComData(), waiting_, waitingLengths_, kBlack);
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
